# Network layer, message protocol, game object, commands and HTTP download.
veltric_gtest(net_hawknl_test LABELS unit TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hawknl_test.cpp)
veltric_gtest(net_protocol_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/netmsg_test.cpp ${CMAKE_CURRENT_LIST_DIR}/netroute_test.cpp)
veltric_gtest(net_game_test LABELS unit TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_game_test.cpp)
veltric_gtest(net_webget_test LABELS unit TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/webget_test.cpp)

add_veltric_program(net_peer_program CAPTION "Net Peer" ${CMAKE_CURRENT_LIST_DIR}/net_peer_program.cpp)
veltric_gtest(net_program_test LABELS program gl TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_program_test.cpp)
target_compile_definitions(net_program_test PRIVATE NET_PEER_PROGRAM="$<TARGET_FILE:net_peer_program>")
add_dependencies(net_program_test net_peer_program)
