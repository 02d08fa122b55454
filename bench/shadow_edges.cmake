add_executable(bench_shadow_edges ${CMAKE_CURRENT_LIST_DIR}/shadow_edges.cpp)
target_link_libraries(bench_shadow_edges PRIVATE veltric_all benchmark::benchmark)
