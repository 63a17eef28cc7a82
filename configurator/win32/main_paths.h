// Paths the main window works out (see main_paths.cpp).
#pragma once
#include <windows.h>

#include <string>

namespace bw {

// Full path of a name against the current directory; empty when it cannot
// be resolved (an empty name, or a path over 260 characters).
std::string FullPath(const std::string& name);
// The full path of the running program; "" when it holds characters
// Shift_JIS cannot hold.
std::string ProgramPath();
// An existing ordinary file: not a folder, system, temporary or offline file.
bool IsOrdinaryFile(const std::string& path);

}  // namespace bw
