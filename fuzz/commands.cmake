veltric_fuzzer(commands ${CMAKE_CURRENT_LIST_DIR}/commands.cpp)
# The fatal errors end a program through __EndProgram; the target takes that
# call over so that such an end returns to the step loop (see commands.cpp).
target_link_options(fuzz_commands PRIVATE "LINKER:--wrap=_ZN11__VELTRIC__12__EndProgramEv")
# The target draws through the software GL driver under the leak checker:
# keep the driver loaded to the end, as the sanitizer build does for tests,
# so that its own blocks are not reported as leaks of an unloaded module.
if(NOT APPLE)
  find_file(VELTRIC_FUZZ_GL_DRIVER swrast_dri.so
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri /usr/lib64/dri /usr/lib/dri
    NO_DEFAULT_PATH)
  if(VELTRIC_FUZZ_GL_DRIVER)
    target_sources(fuzz_commands PRIVATE ${CMAKE_SOURCE_DIR}/cmake/keep_gl_driver.c)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/cmake/keep_gl_driver.c TARGET_DIRECTORY fuzz_commands
      PROPERTIES COMPILE_DEFINITIONS "VELTRIC_GL_DRIVER=\"${VELTRIC_FUZZ_GL_DRIVER}\"")
  endif()
endif()

