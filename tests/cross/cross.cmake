# Cross-build comparison of values and files: this build's probe against the
# probe of the build in VELTRIC_PEER_BUILD (the other architecture's build
# folder). The probe is built in every build, so that any build can serve as
# another's peer; the test exists only where a peer is named.
add_veltric_program(cross_probe CAPTION "Cross Probe" ${CMAKE_CURRENT_LIST_DIR}/cross_probe.cpp)

if(NOT VELTRIC_PEER_BUILD)
  return()
endif()

veltric_gtest(cross_build_test LABELS cross program gl TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cross_build_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/child_process.cpp)
target_compile_definitions(cross_build_test PRIVATE
  CROSS_PROBE="$<TARGET_FILE:cross_probe>"
  CROSS_PEER_PROBE="${VELTRIC_PEER_BUILD}/cross_probe"
  CROSS_PACKED_DEMO="${CMAKE_BINARY_DIR}/demo/packed/DriftingRaysIV-linux"
  CROSS_PEER_PACKED_DEMO="${VELTRIC_PEER_BUILD}/demo/packed/DriftingRaysIV-linux")
add_dependencies(cross_build_test cross_probe)
if(TARGET DriftingRaysIV-packed)
  add_dependencies(cross_build_test DriftingRaysIV-packed)
endif()
