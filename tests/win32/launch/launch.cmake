# The Win32 launcher under Wine: helper programs of our own and the suite
# that starts, finds and ends them.
add_executable(bw_probe_app WIN32 ${CMAKE_CURRENT_LIST_DIR}/probe_app.cpp)
bw_target_flags(bw_probe_app)

bw_add_gtest(launch_win32_tests
  ${CMAKE_CURRENT_LIST_DIR}/../../unit/test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launch_win32_test.cpp
)
target_link_libraries(launch_win32_tests PRIVATE bw_checker_core bw_launch_win32)
add_dependencies(launch_win32_tests bw_probe_app)
