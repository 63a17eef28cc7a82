# Mail checking: MD5, resolution and connection, the POP3 dialogue and the
# run-time account, on the socket layer.
target_sources(bw_checker_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/md5.cpp
  ${CMAKE_CURRENT_LIST_DIR}/simulation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resolve_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resolve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pop3_dialogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pop3_checker.cpp
)
target_link_libraries(bw_checker_core PUBLIC bw_net)
