# Collision queries over a sheet of 8,192 triangles, rigid and scaled model
# matrices (no window needed).
add_executable(bench_collision ${CMAKE_CURRENT_LIST_DIR}/collision.cpp)
target_link_libraries(bench_collision PRIVATE veltric_all veltric_warnings benchmark::benchmark)
