# Surfaces, render-to-texture screens and the 2D command set.
veltric_gtest(surfaces_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/surfaces_test.cpp)
veltric_gtest(commands2d_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/commands2d_test.cpp)
