veltric_fuzzer(values ${CMAKE_CURRENT_LIST_DIR}/values.cpp)
