# The check cycle's schedule against a fake window and fake accounts.
bw_add_gtest(cycle_tests
  ${CMAKE_CURRENT_LIST_DIR}/unit/test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit/cycle_schedule_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit/cycle_accounts_test.cpp
)
target_link_libraries(cycle_tests PRIVATE bw_checker_core)
