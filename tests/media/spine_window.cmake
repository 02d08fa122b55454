# The window, its GL extension pointers and the frame pacing.
veltric_gtest(gl_extensions_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gl_extensions_test.cpp)
veltric_gtest(window_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
