# Stencil shadows: edge adjacency and silhouettes, and the shadow pass on a
# real GL context.
veltric_gtest(engine3d_shadows_edges_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadows_edges_test.cpp)
veltric_gtest(engine3d_shadows_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadows_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
# A lit scene with a shadow drawn through the 3D commands at every cull mode.
veltric_gtest(engine3d_shadow_scene_gl_test LABELS gl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadow_scene_gl_test.cpp
  ENV SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
  TIMEOUT 120)
