add_executable(bench_demo_frames ${CMAKE_CURRENT_LIST_DIR}/demo_frames.cpp)
target_link_libraries(bench_demo_frames PRIVATE benchmark::benchmark veltric_warnings)
target_compile_definitions(bench_demo_frames PRIVATE
  DEMO_EXE="$<TARGET_FILE:DriftingRaysIV-linux>" DEMO_DIR="$<TARGET_FILE_DIR:DriftingRaysIV-linux>")
add_dependencies(bench_demo_frames DriftingRaysIV-linux)
