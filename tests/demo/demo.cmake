veltric_gtest(demo_lib_test LABELS unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_lib_test.cpp LIBS veltric_demo)

veltric_gtest(demo_program_test LABELS program SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_program_test.cpp
  RESOURCE_LOCK x_input TIMEOUT 600)
target_compile_definitions(demo_program_test PRIVATE
  DEMO_EXE="$<TARGET_FILE:DriftingRaysIV-linux>"
  PACKED_EXE="${CMAKE_BINARY_DIR}/demo/packed/DriftingRaysIV-linux"
  MEDIA_DIR="${CMAKE_SOURCE_DIR}/assets"
  X_CLOSE_WINDOW="$<TARGET_FILE:x_close_window>")
add_dependencies(demo_program_test DriftingRaysIV-linux DriftingRaysIV-packed x_close_window)
# Its screenshots read the screen, which the windows of other GL tests would cover.
set_tests_properties(demo_program_test PROPERTIES RUN_SERIAL TRUE)
