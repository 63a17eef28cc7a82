// Paths the main window works out: full paths against the current
// directory, the program's own path and the ordinary-file test.
#include "configurator/win32/main_paths.h"

#include "common/win32/process_start.h"
#include "platform/win32/wide_text.h"

namespace bw {

// Full path of a name against the current directory; empty when it cannot
// be resolved (an empty name, or a path over 260 characters).
std::string FullPath(const std::string& name) {
  if (name.empty()) return std::string();
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetFullPathNameW(Wide(name).c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) return std::string();
  // The current directory may hold characters Shift_JIS cannot hold; then
  // the name stays as it was given.
  bool lossless = true;
  std::string full = Narrow(buffer, n, &lossless);
  return lossless ? full : name;
}

std::string ProgramPath() { return OwnProgramPath(); }

// An existing ordinary file: not a folder, system, temporary or offline file.
bool IsOrdinaryFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  return !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY |
                FILE_ATTRIBUTE_OFFLINE));
}

}  // namespace bw
