# Shader slots and the drawing of animated objects on a real GL context.
veltric_gtest(draw3d_shaders_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/draw3d_shaders_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
veltric_gtest(draw3d_objects_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/draw3d_objects_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
# Bump mapping, cel shading with its outline and sphere mapping in pixels.
veltric_gtest(draw3d_effects_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/effects_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
