# A program's own media: add_veltric_program(... MEDIA ...) copies the file
# beside the executable, and the next build copies it again once it changed.
# The file lives in the build tree, so that the test may change it.
set(_media_note ${CMAKE_CURRENT_BINARY_DIR}/media_fixture/media_probe_note.txt)
if(NOT EXISTS ${_media_note})
  file(WRITE ${_media_note} "as configured\n")
endif()
add_veltric_program(media_probe CAPTION MediaProbe ${CMAKE_CURRENT_LIST_DIR}/media_probe.cpp
  MEDIA ${_media_note})

veltric_gtest(program_media_test LABELS program gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_media_test.cpp ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp
  TIMEOUT 300)
target_compile_definitions(program_media_test PRIVATE
  MEDIA_PROBE="$<TARGET_FILE:media_probe>"
  MEDIA_NOTE="${_media_note}"
  CMAKE_COMMAND_PATH="${CMAKE_COMMAND}"
  BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(program_media_test media_probe)
