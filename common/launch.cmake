# The launcher: the interface the portable core sees, and on Windows the real
# process start, window search, termination and run-time linked libraries.
target_sources(bw_common PRIVATE ${CMAKE_CURRENT_LIST_DIR}/core/launch.cpp)

if(WIN32)
  add_library(bw_launch_win32 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/system_libraries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/launch_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/launch_running.cpp
  )
  bw_target_flags(bw_launch_win32)
  target_link_libraries(bw_launch_win32 PUBLIC bw_common bw_common_win32 shell32)
endif()
