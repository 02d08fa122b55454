# add_veltric_program(<name> [CAPTION <text>] <sources...> [SUBS <sub names...>]
#                     [MEDIA <files...>])
#
# Builds a translated program: <sources> define __VELTRIC__::__MainGameSub_
# and the program's own functions; this adds the generated entry (main, the
# program settings and the window caption, which defaults to <name>) and links
# every runtime library. On Mac OS X the program becomes an application
# bundle, so that start-up finds its data beside the bundle.
# SUBS lists the program's subs (each `double __VELTRIC__::NAME()`) that
# CALLBYNAME and GETSUBADDRESS find by name; without it the table of subs
# holds only its end marker.
# MEDIA lists files the program reads at run time (pictures, sounds, fonts,
# data; relative names are taken from the calling folder). Each is copied
# beside the executable, where start-up looks for it, by a build step that
# depends on the file: a changed file is copied again by the next build.
set(_VELTRIC_ENTRY_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/program_entry.cpp.in)

# The sanitizer build keeps the software GL driver loaded in every program
# and test (see keep_gl_driver.c); veltric_sanitizer_support(<target>) adds it.
set(_VELTRIC_KEEP_GL_DRIVER "")
if(VELTRIC_SANITIZE AND NOT APPLE)
  find_file(VELTRIC_GL_DRIVER swrast_dri.so
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri /usr/lib64/dri /usr/lib/dri
    NO_DEFAULT_PATH)
  if(VELTRIC_GL_DRIVER)
    set(_VELTRIC_KEEP_GL_DRIVER ${CMAKE_CURRENT_LIST_DIR}/keep_gl_driver.c)
  endif()
endif()
function(veltric_sanitizer_support target)
  if(_VELTRIC_KEEP_GL_DRIVER)
    target_sources(${target} PRIVATE ${_VELTRIC_KEEP_GL_DRIVER})
    set_source_files_properties(${_VELTRIC_KEEP_GL_DRIVER} TARGET_DIRECTORY ${target}
      PROPERTIES COMPILE_DEFINITIONS "VELTRIC_GL_DRIVER=\"${VELTRIC_GL_DRIVER}\"")
  endif()
endfunction()

function(add_veltric_program name)
  cmake_parse_arguments(ARG "" "CAPTION" "SUBS;MEDIA" ${ARGN})
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
  veltric_sanitizer_support(${name})
  # Listed for the test that reads which shared libraries each program needs.
  set_property(GLOBAL APPEND PROPERTY VELTRIC_PROGRAMS ${name})
  if(ARG_MEDIA)
    _veltric_program_media(${name} ${ARG_MEDIA})
  endif()
endfunction()

# Copies the media files beside the program's executable (beside the bundle
# on Mac OS X) through one build rule per file, run before the program is
# linked and again whenever a file changes.
function(_veltric_program_media name)
  get_target_property(_dir ${name} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT _dir)
    set(_dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  get_property(_multi GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(_multi)
    string(APPEND _dir "/$<CONFIG>")
  endif()
  set(_copies "")
  set(_names "")
  foreach(_file IN LISTS ARGN)
    get_filename_component(_src "${_file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(_base "${_src}" NAME)
    if(_base IN_LIST _names)
      message(FATAL_ERROR "add_veltric_program(${name}): two media files are named ${_base}")
    endif()
    list(APPEND _names ${_base})
    add_custom_command(OUTPUT ${_dir}/${_base}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
      COMMAND ${CMAKE_COMMAND} -E copy ${_src} ${_dir}/${_base}
      DEPENDS ${_src}
      COMMENT "Copying ${_base} beside ${name}"
      VERBATIM)
    list(APPEND _copies ${_dir}/${_base})
  endforeach()
  add_custom_target(${name}_media DEPENDS ${_copies})
  add_dependencies(${name} ${name}_media)
endfunction()
