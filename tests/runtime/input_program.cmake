# A real program driven by xdotool key, mouse and close events.
find_package(X11 REQUIRED)
add_veltric_program(input_probe CAPTION InputProbe ${CMAKE_CURRENT_LIST_DIR}/input_probe.cpp)
veltric_gtest(input_program_test LABELS program
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/input_program_test.cpp ${CMAKE_CURRENT_LIST_DIR}/live_child.cpp
  LIBS X11::X11
  RESOURCE_LOCK x_input
  TIMEOUT 300)
add_executable(x_bind_keys ${CMAKE_CURRENT_LIST_DIR}/x_bind_keys.c)
target_link_libraries(x_bind_keys PRIVATE X11::X11)
add_dependencies(input_program_test input_probe x_close_window x_bind_keys)
target_compile_definitions(input_program_test PRIVATE
  INPUT_PROBE="$<TARGET_FILE:input_probe>"
  X_CLOSE_WINDOW="$<TARGET_FILE:x_close_window>"
  X_BIND_KEYS="$<TARGET_FILE:x_bind_keys>")
# Its key presses go to whichever window has the focus once its own program
# has ended, so no other test's window may be open meanwhile.
set_tests_properties(input_program_test PROPERTIES RUN_SERIAL TRUE)
