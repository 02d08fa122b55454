veltric_fuzzer(mesh_binary ${CMAKE_CURRENT_LIST_DIR}/mesh_binary.cpp)
