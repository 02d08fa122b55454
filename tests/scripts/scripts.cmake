# The set-up scripts' own tests. They run the same on either build: only the
# native one holds them.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(VELTRIC_BASH bash REQUIRED)
  add_test(NAME package_locks_test
    COMMAND ${VELTRIC_BASH} ${CMAKE_CURRENT_LIST_DIR}/package_locks_test.sh ${CMAKE_SOURCE_DIR})
  set_tests_properties(package_locks_test PROPERTIES LABELS unit TIMEOUT 300)
endif()
