# Launcher, display values, macros and the auto-exec sequence: portable tests
# everywhere; on the cross-build also the Win32 launcher suite under Wine with
# its helper programs.
bw_add_gtest(launch_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/unit/test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit/display_values_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit/auto_exec_sequence_test.cpp
)
target_link_libraries(launch_core_tests PRIVATE bw_checker_core)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/win32/launch/launch.cmake)
endif()
