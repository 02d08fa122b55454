veltric_fuzzer(findpath ${CMAKE_CURRENT_LIST_DIR}/findpath.cpp)
