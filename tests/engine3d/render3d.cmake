# The 3D renderer: camera, projection, frustum, matrix levels, lights, fog,
# debug markers and screen/world projection.
veltric_gtest(render3d_math_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/render3d_math_test.cpp)
veltric_gtest(render3d_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/render3d_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
