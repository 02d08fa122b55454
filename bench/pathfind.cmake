# Grid search: the planner and FINDPATH beside the direct sorted-list search
# and a textbook binary-heap A*.
add_executable(bench_pathfind ${CMAKE_CURRENT_LIST_DIR}/pathfind.cpp)
target_link_libraries(bench_pathfind PRIVATE veltric_all veltric_warnings benchmark::benchmark)
