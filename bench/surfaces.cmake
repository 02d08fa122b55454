# The background surface per frame (grab and paste) against the bare GL work.
add_executable(bench_surfaces ${CMAKE_CURRENT_LIST_DIR}/surfaces.cpp)
target_link_libraries(bench_surfaces PRIVATE veltric_all veltric_warnings benchmark::benchmark)
