# The check cycle: portable scheduling logic and its view of the accounts.
target_sources(bw_checker_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/check_cycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cycle_accounts.cpp
)
