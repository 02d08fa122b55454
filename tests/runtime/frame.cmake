# The frame step, timers and waiting.
veltric_gtest(frame_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_test.cpp)
