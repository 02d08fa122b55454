# veltric_library(<target> <folder>): a static library of every .cpp in <folder>.
function(veltric_library target folder)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT _srcs)
    # A subsystem whose modules have not arrived yet still gives a target.
    set(_srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${target} STATIC ${_srcs})
  target_link_libraries(${target} PUBLIC veltric_deps PRIVATE veltric_warnings)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
