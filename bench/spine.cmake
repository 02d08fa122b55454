# Number text, string building and frame pacing.
add_executable(bench_number_text ${CMAKE_CURRENT_LIST_DIR}/number_text.cpp)
target_link_libraries(bench_number_text PRIVATE veltric_all benchmark::benchmark)
add_executable(bench_string_concat ${CMAKE_CURRENT_LIST_DIR}/string_concat.cpp)
target_link_libraries(bench_string_concat PRIVATE veltric_all benchmark::benchmark)
add_executable(bench_frame_pacing ${CMAKE_CURRENT_LIST_DIR}/frame_pacing.cpp)
target_link_libraries(bench_frame_pacing PRIVATE veltric_all)
