# The system libraries every subsystem may use, collected in one target.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenGL REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SDL_MIXER REQUIRED IMPORTED_TARGET SDL_mixer)
find_path(PNG_INCLUDE_DIR png.h REQUIRED)
find_path(ZLIB_INCLUDE_DIR zlib.h REQUIRED)
find_path(LZO_INCLUDE_DIR lzo/lzo1x.h REQUIRED)

# libpng, zlib and LZO are linked into every executable from their static
# archives, so that the machine a program runs on needs only SDL, SDL_mixer,
# GL and the C and C++ runtime as shared libraries; on Mac OS X, where SDL
# is a framework inside the application bundle, SDL_mixer is linked in the
# same way. The archives must be position-independent code (Debian's are, on
# x86_64 and on i386), since the executables are.
#
# _veltric_archive(<target> <file> [<libraries it needs>...]) imports the
# static archive <file> found on the library path.
function(_veltric_archive target file)
  string(MAKE_C_IDENTIFIER "VELTRIC_ARCHIVE_${file}" _var)
  find_library(${_var} NAMES ${file} REQUIRED)
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION "${${_var}}"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
  if(NOT APPLE)
    # The archive's functions stay private to the executable: a shared library
    # that uses the same library itself (SDL's text-mode driver uses zlib)
    # binds to the machine's copy, not to the one linked in here.
    set_target_properties(${target} PROPERTIES
      INTERFACE_LINK_OPTIONS "LINKER:--exclude-libs,${file}")
  endif()
endfunction()

_veltric_archive(veltric::zlib libz.a)
_veltric_archive(veltric::png libpng16.a veltric::zlib m)
_veltric_archive(veltric::lzo liblzo2.a)
if(APPLE)
  # The archive is followed by the decoder libraries it was built with.
  set(_mixer_needs ${SDL_MIXER_STATIC_LIBRARIES})
  list(REMOVE_ITEM _mixer_needs SDL_mixer SDL SDLmain)
  _veltric_archive(veltric::sdl_mixer libSDL_mixer.a PkgConfig::SDL ${_mixer_needs})
  set_target_properties(veltric::sdl_mixer PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${SDL_MIXER_INCLUDE_DIRS}"
    INTERFACE_LINK_DIRECTORIES "${SDL_MIXER_STATIC_LIBRARY_DIRS}")
  set(_mixer veltric::sdl_mixer)
else()
  set(_mixer PkgConfig::SDL_MIXER)
endif()

add_library(veltric_deps INTERFACE)
target_include_directories(veltric_deps INTERFACE ${CMAKE_SOURCE_DIR}
  ${PNG_INCLUDE_DIR} ${ZLIB_INCLUDE_DIR} ${LZO_INCLUDE_DIR})
target_link_libraries(veltric_deps INTERFACE
  ${_mixer} PkgConfig::SDL
  OpenGL::GL OpenGL::GLU veltric::png veltric::zlib veltric::lzo
  Threads::Threads ${CMAKE_DL_LIBS} m)
