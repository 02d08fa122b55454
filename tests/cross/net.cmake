# A network game between a program of this build and one of the other
# architecture's build (VELTRIC_PEER_BUILD). The peer program is built in
# every build, so that the other build finds it; the test only where the
# other build is named.
add_veltric_program(cross_net_peer CAPTION "Cross Net Peer" ${CMAKE_CURRENT_LIST_DIR}/net_peer.cpp)

if(NOT VELTRIC_PEER_BUILD)
  return()
endif()
veltric_gtest(cross_net_test LABELS cross program gl TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/child_process.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/live_child.cpp)
target_compile_definitions(cross_net_test PRIVATE
  CROSS_NET_PEER_THIS="$<TARGET_FILE:cross_net_peer>"
  CROSS_NET_PEER_OTHER="${VELTRIC_PEER_BUILD}/cross_net_peer")
add_dependencies(cross_net_test cross_net_peer)
