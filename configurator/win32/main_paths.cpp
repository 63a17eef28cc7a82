// Paths the main window works out: full paths against the current
// directory, the program's own path and the ordinary-file test.
#include "configurator/win32/main_paths.h"

namespace bw {

// Full path of a name against the current directory; empty when it cannot
// be resolved (an empty name, or a path over 260 characters).
std::string FullPath(const std::string& name) {
  if (name.empty()) return std::string();
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return std::string(buffer, n);
}

std::string ProgramPath() {
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, n < MAX_PATH ? n : 0);
}

// An existing ordinary file: not a folder, system, temporary or offline file.
bool IsOrdinaryFile(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  return !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY |
                FILE_ATTRIBUTE_OFFLINE));
}

}  // namespace bw
