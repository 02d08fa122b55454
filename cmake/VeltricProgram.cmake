# add_veltric_program(<name> [CAPTION <text>] <sources...>)
#
# Builds a translated program: <sources> define __VELTRIC__::__MainGameSub_
# and the program's own functions; this adds the generated entry (main, the
# program settings and the window caption, which defaults to <name>) and links
# every runtime library.
set(_VELTRIC_ENTRY_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/program_entry.cpp.in)

function(add_veltric_program name)
  cmake_parse_arguments(ARG "" "CAPTION" "" ${ARGN})
  if(NOT ARG_CAPTION)
    set(ARG_CAPTION ${name})
  endif()
  set(VELTRIC_CAPTION "${ARG_CAPTION}")
  set(_entry ${CMAKE_CURRENT_BINARY_DIR}/${name}_entry.cpp)
  configure_file(${_VELTRIC_ENTRY_TEMPLATE} ${_entry} @ONLY)
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS} ${_entry})
  target_link_libraries(${name} PRIVATE veltric_all veltric_warnings)
endfunction()
