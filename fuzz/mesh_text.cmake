veltric_fuzzer(mesh_text ${CMAKE_CURRENT_LIST_DIR}/mesh_text.cpp)
