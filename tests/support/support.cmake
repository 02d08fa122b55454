# Helpers of the program tests.
find_package(X11 REQUIRED)
add_executable(x_close_window ${CMAKE_CURRENT_LIST_DIR}/x_close_window.c)
target_link_libraries(x_close_window PRIVATE X11::X11)
