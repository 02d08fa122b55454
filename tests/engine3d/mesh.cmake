veltric_gtest(engine3d_mesh_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mesh_model_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/mesh_compress_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/mesh_files_test.cpp)
