# add_veltric_program(<name> [CAPTION <text>] <sources...> [SUBS <sub names...>])
#
# Builds a translated program: <sources> define __VELTRIC__::__MainGameSub_
# and the program's own functions; this adds the generated entry (main, the
# program settings and the window caption, which defaults to <name>) and links
# every runtime library. On Mac OS X the program becomes an application
# bundle, so that start-up finds its data beside the bundle.
# SUBS lists the program's subs (each `double __VELTRIC__::NAME()`) that
# CALLBYNAME and GETSUBADDRESS find by name; without it the table of subs
# holds only its end marker.
set(_VELTRIC_ENTRY_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/program_entry.cpp.in)

function(add_veltric_program name)
  cmake_parse_arguments(ARG "" "CAPTION" "SUBS" ${ARGN})
  if(NOT DEFINED ARG_CAPTION)
    set(ARG_CAPTION ${name})
  endif()
  # The caption becomes a C string literal: escape what would end it.
  string(REPLACE "\\" "\\\\" _lit "${ARG_CAPTION}")
  string(REPLACE "\"" "\\\"" _lit "${_lit}")
  string(REPLACE "\n" "\\n" _lit "${_lit}")
  set(VELTRIC_CAPTION_LITERAL "${_lit}")
  set(VELTRIC_PROGRAM_NAME "${name}")
  set(VELTRIC_SUB_DECLS "")
  set(VELTRIC_SUB_ENTRIES "")
  foreach(_sub IN LISTS ARG_SUBS)
    string(APPEND VELTRIC_SUB_DECLS
      "double ${_sub}();\nstatic void __sub_${_sub}() { ${_sub}(); }\n")
    string(APPEND VELTRIC_SUB_ENTRIES "    {__sub_${_sub}, \"${_sub}\"},\n")
  endforeach()
  set(_entry ${CMAKE_CURRENT_BINARY_DIR}/${name}_entry.cpp)
  configure_file(${_VELTRIC_ENTRY_TEMPLATE} ${_entry} @ONLY)
  if(APPLE)
    add_executable(${name} MACOSX_BUNDLE ${ARG_UNPARSED_ARGUMENTS} ${_entry})
    set_target_properties(${name} PROPERTIES
      MACOSX_BUNDLE_BUNDLE_NAME "${ARG_CAPTION}"
      MACOSX_BUNDLE_GUI_IDENTIFIER "org.veltric.${name}")
    find_library(_COCOA Cocoa)
    target_link_libraries(${name} PRIVATE ${_COCOA})
  else()
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS} ${_entry})
  endif()
  target_link_libraries(${name} PRIVATE veltric_all veltric_warnings)
endfunction()
