# Network layer, message protocol, game object, commands and HTTP download.
veltric_gtest(net_hawknl_test LABELS unit TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hawknl_test.cpp)
veltric_gtest(net_protocol_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/netmsg_test.cpp ${CMAKE_CURRENT_LIST_DIR}/netroute_test.cpp)
