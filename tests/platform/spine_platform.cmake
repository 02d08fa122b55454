# The executable's own path on Linux and the Mac bundle rule.
veltric_gtest(exe_path_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/exe_path_test.cpp)
veltric_gtest(app_bundle_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_bundle_test.cpp)
