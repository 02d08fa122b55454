# The system commands: subs by name, libraries, platform information, shell.
veltric_gtest(system_cmds_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/system_cmds_test.cpp)
