veltric_fuzzer(line_file ${CMAKE_CURRENT_LIST_DIR}/line_file.cpp)
