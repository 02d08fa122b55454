# Sprite table, pictures, fonts, 2D drawing and collision.
veltric_gtest(pictures_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_test.cpp)
veltric_gtest(drawing_rules_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/drawing_rules_test.cpp)
veltric_gtest(turn_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/turn_test.cpp)
veltric_gtest(texture_clamp_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/texture_clamp_test.cpp)

veltric_gtest(sprite_table_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sprite_table_test.cpp)
# The same tests on a window whose rows of 3-byte pixels are not a multiple
# of 4 bytes long (642 * 3 = 1926).
veltric_gtest(sprite_table_odd_window_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sprite_table_test.cpp)
target_compile_definitions(sprite_table_odd_window_test PRIVATE GL_WINDOW_W=642)
veltric_gtest(drawing_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/drawing_test.cpp)
# Compared with the same scenes drawn by the literal GL sequences.
veltric_gtest(drawing_scene_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/drawing_scene_test.cpp ${CMAKE_CURRENT_LIST_DIR}/literal_2d.cpp)
veltric_gtest(collision_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/collision_test.cpp)
veltric_gtest(fonts_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fonts_test.cpp)
