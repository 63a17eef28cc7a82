# End-to-end tests of Bellwick.exe's start-up, driving the real program.
if(WIN32)
  bw_add_gtest(startup_e2e_tests
    ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup_e2e_test.cpp
  )
  target_link_libraries(startup_e2e_tests PRIVATE bw_checker_core ws2_32)
  add_dependencies(startup_e2e_tests Bellwick Knobset)

  bw_add_gtest(app_e2e_tests
    ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_e2e_test.cpp
  )
  target_link_libraries(app_e2e_tests PRIVATE gdi32 ws2_32)
  add_dependencies(app_e2e_tests Bellwick Knobset bw_probe_app)

  add_executable(bellwick-drive ${CMAKE_CURRENT_LIST_DIR}/bellwick_drive.cpp)
  bw_target_flags(bellwick-drive)
endif()

# Both suites start real checkers, which find each other by window class:
# they must never run at the same time.
if(WIN32)
  set_tests_properties(startup_e2e_tests app_e2e_tests PROPERTIES RESOURCE_LOCK checker_window)
endif()

# With the private Dovecot of the mail tests, the running checker is also
# tried against a real server.
if(WIN32 AND TEST dovecot_start)
  set_tests_properties(app_e2e_tests PROPERTIES
    FIXTURES_REQUIRED dovecot
    ENVIRONMENT "BW_BIN_DIR=${CMAKE_BINARY_DIR}/bin;BW_DOVECOT_DIR=${CMAKE_BINARY_DIR}/dovecot")
endif()
