# Shared part of the mingw-w64 toolchain files; the including file sets
# BW_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first. The posix-thread
# compilers are used because the checker's workers are std::threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${BW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BW_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BW_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BW_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
