# World files and object slots: loading, saving and objects built by the program.
veltric_gtest(world_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/world_test.cpp)
veltric_gtest(world_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/world_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
