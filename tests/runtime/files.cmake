# Tests of the file layer: names, archive, channels, INI and line files,
# files and directories. The archive packer is a fixture maker shared with
# the benchmark.
add_library(veltric_archive_packer STATIC ${CMAKE_CURRENT_LIST_DIR}/archive_packer.cpp)
target_link_libraries(veltric_archive_packer PUBLIC veltric_deps PRIVATE veltric_warnings)

veltric_gtest(files_test LABELS unit
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/filesystem_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shoebox_test.cpp
  LIBS veltric_archive_packer)
# The demo's archive packer (scripts/pack_archive.cpp), where the build has it.
if(TARGET veltric_pack_archive)
  target_compile_definitions(files_test PRIVATE PACK_ARCHIVE_TOOL="$<TARGET_FILE:veltric_pack_archive>")
  add_dependencies(files_test veltric_pack_archive)
endif()

veltric_gtest(file_channels_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_channels_test.cpp
  LIBS veltric_archive_packer)

veltric_gtest(ini_line_files_test LABELS unit
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ini_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_files_test.cpp
  LIBS veltric_archive_packer)

veltric_gtest(file_cmds_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_cmds_test.cpp
  LIBS veltric_archive_packer)

# Every command that rewrites a whole file, under a file-size limit and on
# names that are not regular files.
veltric_gtest(write_back_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/write_back_test.cpp
  LIBS veltric_archive_packer)
