veltric_gtest(pathfind_containers_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/containers_test.cpp ${CMAKE_CURRENT_LIST_DIR}/search_sets_test.cpp)
veltric_gtest(pathfind_planner_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/planner_test.cpp ${CMAKE_CURRENT_LIST_DIR}/astar_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/search_properties_test.cpp)
veltric_gtest(pathfind_findpath_test LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/findpath_test.cpp)
