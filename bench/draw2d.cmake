# Sprites per frame on a real window (run under Xvfb) and picture load time.
add_executable(bench_sprites ${CMAKE_CURRENT_LIST_DIR}/sprites.cpp)
target_link_libraries(bench_sprites PRIVATE veltric_all benchmark::benchmark)
add_executable(bench_pictures ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)
target_link_libraries(bench_pictures PRIVATE veltric_all benchmark::benchmark)
# Calls per second of every 2D drawing command beside DRAWSPRITE.
add_executable(bench_draw2d_commands ${CMAKE_CURRENT_LIST_DIR}/draw2d_commands.cpp)
target_link_libraries(bench_draw2d_commands PRIVATE veltric_all benchmark::benchmark)
