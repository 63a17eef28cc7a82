// Executable-extension list from PATHENT.
#include "configurator/core/executable_extensions.h"

#include <cstring>

#include "common/core/sjis.h"
#include "configurator/core/field_text.h"

namespace bw {

ExecutableExtensions::ExecutableExtensions(const char* pathent) {
  if (!pathent || std::strlen(pathent) < 3)
    list_ = ".cmd;.exe;.bat";
  else
    list_ = LowerCased(pathent);
}

bool ExecutableExtensions::Contains(const std::string& extension) const {
  const std::string wanted = LowerCased(extension);
  if (wanted.empty()) return false;
  size_t entryStart = 0;
  while (entryStart <= list_.size()) {
    size_t end = list_.find(';', entryStart);
    if (end == std::string::npos) end = list_.size();
    // The entry's last ".", found character by character so a double-byte
    // character's second byte is never taken for one.
    size_t dot = std::string::npos;
    for (size_t i = entryStart; i < end; ++i) {
      unsigned char c = static_cast<unsigned char>(list_[i]);
      if (IsLeadByte(c)) {
        ++i;
        continue;
      }
      if (c == '.') dot = i;
    }
    if (dot != std::string::npos && list_.compare(dot, end - dot, wanted) == 0) return true;
    entryStart = end + 1;
  }
  return false;
}

}  // namespace bw
