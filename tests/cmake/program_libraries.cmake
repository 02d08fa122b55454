# The shared libraries every translated program needs, read from the ELF
# executables. Programs are added by fragments read after this one, so the
# list of their files is written once the whole tree has been configured.
if(APPLE)
  return()
endif()
veltric_gtest(program_libraries_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_libraries_test.cpp)
set(_program_list ${CMAKE_BINARY_DIR}/program_libraries_list.txt)
target_compile_definitions(program_libraries_test PRIVATE PROGRAM_LIST="${_program_list}")

function(_veltric_list_programs list)
  get_property(_targets GLOBAL PROPERTY VELTRIC_PROGRAMS)
  set(_files "")
  foreach(_t IN LISTS _targets)
    string(APPEND _files "$<TARGET_FILE:${_t}>\n")
  endforeach()
  if(TARGET DriftingRaysIV-packed)
    string(APPEND _files "${CMAKE_BINARY_DIR}/demo/packed/DriftingRaysIV-linux\n")
    list(APPEND _targets DriftingRaysIV-packed)
  endif()
  file(GENERATE OUTPUT ${list} CONTENT "${_files}")
  add_dependencies(program_libraries_test ${_targets})
endfunction()
cmake_language(DEFER CALL _veltric_list_programs ${_program_list})
