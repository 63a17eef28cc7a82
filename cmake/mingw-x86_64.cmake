# Cross-build of the same sources for 64-bit Windows. The Windows tests run
# this build under 64-bit Wine on machines whose kernel runs no 32-bit code;
# the delivered programs are the i686 build (mingw-i686.cmake).
set(BW_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
