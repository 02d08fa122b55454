add_executable(bench_net_messages ${CMAKE_CURRENT_LIST_DIR}/net_messages.cpp)
target_link_libraries(bench_net_messages PRIVATE veltric_all benchmark::benchmark veltric_warnings)
