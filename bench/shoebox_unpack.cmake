add_executable(bench_shoebox_unpack ${CMAKE_CURRENT_LIST_DIR}/shoebox_unpack.cpp
  ${CMAKE_SOURCE_DIR}/tests/runtime/archive_packer.cpp)
target_link_libraries(bench_shoebox_unpack PRIVATE veltric_all benchmark::benchmark)
