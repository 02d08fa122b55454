# Input: DXInput, the key table and the input commands.
veltric_gtest(dxinput_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dxinput_test.cpp)
