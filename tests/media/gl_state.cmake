# The GL state every 2D command leaves to a program that calls GL itself:
# a translated program checks it after each command, from a fresh frame and
# after every command of its table, and reports a line per check.
add_veltric_program(gl_state_probe CAPTION "GL State Probe" ${CMAKE_CURRENT_LIST_DIR}/gl_state_probe.cpp)
veltric_gtest(gl_state_program_test LABELS program gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gl_state_program_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/child_process.cpp
  TIMEOUT 600)
target_compile_definitions(gl_state_program_test PRIVATE GL_STATE_PROBE_PATH="$<TARGET_FILE:gl_state_probe>")
add_dependencies(gl_state_program_test gl_state_probe)
