// The plain CreateProcessA start by which each program starts the other.
#pragma once
#include <windows.h>

namespace bw {

// Starts "program [arguments]" in `directory` (none: the caller's). With an
// owner window, brings it to the foreground first. Returns the process id;
// 0 on failure, after logging and showing the system's error text.
DWORD StartSimpleProcess(HWND owner, const char* program, const char* arguments,
                         const char* directory);

}  // namespace bw
