# The 3D commands: matrix stack, face queries and conversions without GL; the
# commands drawing, building and loading objects on a real GL context.
veltric_gtest(xcmds_unit_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xcmds_unit_test.cpp)
veltric_gtest(xcmds_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xcmds_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
