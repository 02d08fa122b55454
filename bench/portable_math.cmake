# The portable transcendental functions beside the C library's on the same
# arguments (no window needed).
add_executable(bench_portable_math ${CMAKE_CURRENT_LIST_DIR}/portable_math.cpp)
target_link_libraries(bench_portable_math PRIVATE veltric_all veltric_warnings benchmark::benchmark)
