veltric_fuzzer(webget ${CMAKE_CURRENT_LIST_DIR}/webget.cpp)
