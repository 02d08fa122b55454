# Start-up, shut-down and the entry of a translated program, and the string
# value with its number text.
add_veltric_program(spine_probe CAPTION "Spine Probe" ${CMAKE_CURRENT_LIST_DIR}/spine_probe.cpp)
target_link_libraries(spine_probe PRIVATE X11) # reads back the shown frame

veltric_gtest(startup_program_test LABELS program gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_program_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp
  TIMEOUT 240)
target_compile_definitions(startup_program_test PRIVATE SPINE_PROBE_PATH="$<TARGET_FILE:spine_probe>")
add_dependencies(startup_program_test spine_probe)
# It reads its shown frame back from the X server, and a window of another
# test opened over it meanwhile would be read instead.
set_tests_properties(startup_program_test PROPERTIES RUN_SERIAL TRUE)

veltric_gtest(number_text_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/number_text_test.cpp)
veltric_gtest(dgstr_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dgstr_test.cpp)
veltric_gtest(core_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_test.cpp)
