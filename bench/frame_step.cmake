# The frame step's pacing beside a bare loop of the window's pacing steps.
add_executable(bench_frame_step ${CMAKE_CURRENT_LIST_DIR}/frame_step.cpp)
target_link_libraries(bench_frame_step PRIVATE veltric_all veltric_warnings benchmark::benchmark)
