# Every loader command against special, huge and overlong files.
veltric_gtest(loaders_special_files_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/loaders_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 300)
