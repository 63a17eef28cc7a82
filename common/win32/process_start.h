// The plain CreateProcessW start by which each program starts the other, and
// what a program knows of its own start: its command line and its file.
#pragma once
#include <windows.h>

#include <string>

namespace bw {

// Starts "program [arguments]" in `directory` (none: the caller's). With an
// owner window, brings it to the foreground first. Returns the process id;
// 0 on failure, after logging and showing the system's error text.
DWORD StartSimpleProcess(HWND owner, const char* program, const char* arguments,
                         const char* directory);

// This program's command line (GetCommandLineW) in Shift_JIS. False when it
// holds characters Shift_JIS cannot hold; then `*text` is the line with
// those characters lost, fit only for telling the user.
bool OwnCommandLine(std::string* text);

// The full path of this program's file, or "" when it cannot be had or
// holds characters Shift_JIS cannot hold.
std::string OwnProgramPath();

// The folder of this program's file with its final '\', or "" as above.
std::string OwnProgramFolder();

}  // namespace bw
