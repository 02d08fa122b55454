# veltric_gtest(<name> LABELS <labels...> SOURCES <files...> [LIBS <libs...>]
#               [ENV <VAR=value...>] [RESOURCE_LOCK <locks...>] [TIMEOUT <s>])
#
# A GoogleTest executable registered with ctest as one test per executable
# run. Labels say what a test needs:
#   unit     pure code, no display: also run under the sanitizer build
#   gl       opens a window (ctest runs under Xvfb when there is no display)
#   program  runs a real translated program as a child process
# Tests that inject keys or focus windows share the RESOURCE_LOCK x_input.
find_package(GTest REQUIRED)
include(GoogleTest)

function(veltric_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;LIBS;ENV;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE veltric_all GTest::gtest GTest::gtest_main GTest::gmock
                        veltric_warnings ${ARG_LIBS})
  veltric_sanitizer_support(${name})
  target_compile_definitions(${name} PRIVATE
    VELTRIC_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}"
    VELTRIC_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
  if(ARG_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endif()
  if(ARG_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
  endif()
endfunction()
