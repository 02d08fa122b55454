# The system commands: subs by name, libraries, platform information, shell.
veltric_gtest(system_cmds_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/system_cmds_test.cpp)

# The same commands in a real translated program with its generated table of subs.
add_veltric_program(system_probe CAPTION "System Probe"
  ${CMAKE_CURRENT_LIST_DIR}/system_probe.cpp SUBS Greet Farewell)
veltric_gtest(system_program_test LABELS program gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/system_program_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp
  TIMEOUT 120)
target_compile_definitions(system_program_test PRIVATE SYSTEM_PROBE_PATH="$<TARGET_FILE:system_probe>")
add_dependencies(system_program_test system_probe)
