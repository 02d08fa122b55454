# The system libraries every subsystem may use, collected in one target.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenGL REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SDL_MIXER REQUIRED IMPORTED_TARGET SDL_mixer)
find_path(LZO_INCLUDE_DIR lzo/lzo1x.h REQUIRED)
find_library(LZO_LIBRARY lzo2 REQUIRED)

add_library(veltric_deps INTERFACE)
target_include_directories(veltric_deps INTERFACE ${CMAKE_SOURCE_DIR} ${LZO_INCLUDE_DIR})
target_link_libraries(veltric_deps INTERFACE
  PkgConfig::SDL_MIXER PkgConfig::SDL
  OpenGL::GL OpenGL::GLU PNG::PNG ZLIB::ZLIB ${LZO_LIBRARY}
  Threads::Threads ${CMAKE_DL_LIBS} m)
