veltric_fuzzer(ini ${CMAKE_CURRENT_LIST_DIR}/ini.cpp)
