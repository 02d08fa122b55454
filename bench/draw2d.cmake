# Sprites per frame on a real window (run under Xvfb) and picture load time.
add_executable(bench_sprites ${CMAKE_CURRENT_LIST_DIR}/sprites.cpp)
target_link_libraries(bench_sprites PRIVATE veltric_all benchmark::benchmark)
add_executable(bench_pictures ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)
target_link_libraries(bench_pictures PRIVATE veltric_all benchmark::benchmark)
