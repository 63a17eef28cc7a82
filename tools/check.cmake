# bellwick-check: one check of every account of a parameter file.
add_executable(bellwick-check ${CMAKE_CURRENT_LIST_DIR}/bellwick_check.cpp)
bw_target_flags(bellwick-check)
target_link_libraries(bellwick-check PRIVATE bw_checker_core)
