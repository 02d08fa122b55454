# A translated 3D program drawing a lit scene with shadows from the default
# settings, run as a child process; its report of pixels is checked.
add_veltric_program(shadow_scene_program CAPTION "Shadow Scene"
  ${CMAKE_CURRENT_LIST_DIR}/shadow_scene_program.cpp)
veltric_gtest(shadow_scene_program_test LABELS program gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadow_scene_program_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/child_process.cpp
  TIMEOUT 120)
target_compile_definitions(shadow_scene_program_test PRIVATE
  SHADOW_SCENE_PATH="$<TARGET_FILE:shadow_scene_program>")
add_dependencies(shadow_scene_program_test shadow_scene_program)
