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
