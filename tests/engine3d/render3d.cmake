# The 3D renderer: camera, projection, frustum, matrix levels, lights, fog,
# debug markers and screen/world projection.
veltric_gtest(render3d_math_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/render3d_math_test.cpp)
