# The value layer: arrays, math, random numbers, DATA/READ, string commands.
# Fatal errors run in forked children that read the end-of-program report.
veltric_gtest(arrays_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/arrays_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fatal_in_child.cpp)
veltric_gtest(math_cmds_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/math_cmds_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fatal_in_child.cpp)
# The portable transcendental functions; the 32-bit build runs the same
# result hashes.
veltric_gtest(portable_math_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/portable_math_test.cpp)
veltric_gtest(string_cmds_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/string_cmds_test.cpp)
