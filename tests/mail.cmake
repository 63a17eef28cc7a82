# Mail checking: MD5, the socket layer, resolution, the POP3 dialogue against
# a scripted loopback server, and the run-time account.
bw_add_gtest(mail_tests
  unit/test_support.cpp
  unit/md5_test.cpp
  unit/net_socket_test.cpp
  unit/pop3_resolve_test.cpp
  unit/pop3_dialogue_test.cpp
  unit/pop3_checker_test.cpp
  servers/scripted_pop3.cpp
)
target_link_libraries(mail_tests PRIVATE bw_checker_core)

# Integration with a real POP3 server: a private Dovecot on 127.0.0.1, started
# and stopped around the tests that need it (root only, as Dovecot drops to
# its own users). On the cross-build bellwick-check.exe runs under Wine.
find_program(BW_DOVECOT dovecot PATHS /usr/sbin NO_CMAKE_FIND_ROOT_PATH)
execute_process(COMMAND id -u OUTPUT_VARIABLE BW_UID OUTPUT_STRIP_TRAILING_WHITESPACE)
if(BW_DOVECOT AND BW_UID STREQUAL "0" AND TARGET bellwick-check)
  set(bw_dovecot_dir ${CMAKE_BINARY_DIR}/dovecot)
  add_test(NAME dovecot_start
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/dovecot-server start ${bw_dovecot_dir})
  add_test(NAME dovecot_stop
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/dovecot-server stop ${bw_dovecot_dir})
  set_tests_properties(dovecot_start PROPERTIES FIXTURES_SETUP dovecot TIMEOUT 60)
  set_tests_properties(dovecot_stop PROPERTIES FIXTURES_CLEANUP dovecot TIMEOUT 60)
  if(CMAKE_CROSSCOMPILING)
    set(bw_runner ${PROJECT_SOURCE_DIR}/scripts/wine-run)
  else()
    set(bw_runner "")
  endif()
  add_test(NAME dovecot_bellwick_check
    COMMAND ${PROJECT_SOURCE_DIR}/tests/servers/dovecot-check-test
            ${bw_dovecot_dir} $<TARGET_FILE:bellwick-check> ${bw_runner})
  set_tests_properties(dovecot_bellwick_check PROPERTIES FIXTURES_REQUIRED dovecot TIMEOUT 120)
endif()
