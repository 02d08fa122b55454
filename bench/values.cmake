# The value layer: DIMPUSH, REPLACE$ and SPLITSTR against standard-library code.
add_executable(bench_values ${CMAKE_CURRENT_LIST_DIR}/values.cpp)
target_link_libraries(bench_values PRIVATE veltric_all benchmark::benchmark)
