veltric_fuzzer(png ${CMAKE_CURRENT_LIST_DIR}/png.cpp)
