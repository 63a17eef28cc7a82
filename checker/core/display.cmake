# Display values, argument macros and the auto-exec sequence.
target_sources(bw_checker_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/display_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macros.cpp
  ${CMAKE_CURRENT_LIST_DIR}/auto_exec.cpp
)
