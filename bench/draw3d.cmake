# Drawing animated objects on a real window (run under Xvfb): static, streamed,
# cel-shaded and culled draws beside plain client vertex arrays.
add_executable(bench_draw3d ${CMAKE_CURRENT_LIST_DIR}/draw3d.cpp)
target_link_libraries(bench_draw3d PRIVATE veltric_all veltric_warnings benchmark::benchmark)
