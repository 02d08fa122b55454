# World files and object slots: loading, saving and objects built by the program.
veltric_gtest(world_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/world_test.cpp)
