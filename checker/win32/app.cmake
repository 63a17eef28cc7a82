# The checker application's Win32 side: window, menu, dialogs, resources.
target_sources(Bellwick PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/checker_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bellwick.rc
)
target_link_libraries(Bellwick PRIVATE bw_launch_win32 gdi32 user32)
