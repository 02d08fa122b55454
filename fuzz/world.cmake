veltric_fuzzer(world ${CMAKE_CURRENT_LIST_DIR}/world.cpp)
