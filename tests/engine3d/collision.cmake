veltric_gtest(engine3d_collision_geometry_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/collision_geometry_test.cpp)
veltric_gtest(engine3d_collision_queries_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/collision_queries_test.cpp)
