veltric_fuzzer(shoebox ${CMAKE_CURRENT_LIST_DIR}/shoebox.cpp)
