veltric_fuzzer(netmsg ${CMAKE_CURRENT_LIST_DIR}/netmsg.cpp)
