veltric_fuzzer(bmp ${CMAKE_CURRENT_LIST_DIR}/bmp.cpp)
