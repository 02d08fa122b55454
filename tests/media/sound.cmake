veltric_gtest(sound_test LABELS unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp TIMEOUT 180)
