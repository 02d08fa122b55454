veltric_gtest(demo_lib_test LABELS unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_lib_test.cpp LIBS veltric_demo)
