// POSIX implementation of the core's platform services (native build).
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/core/platform.h"

namespace bw {

bool PlatformDeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool PlatformFileSize(const std::string& path, std::uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool PlatformReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool PlatformSyncFile(std::FILE* file) {
  return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
}

std::string Cp932ToUtf8(const std::string& text) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buffer[1024];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid byte: show it as "?" and go on with the next one.
      out += '?';
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) {
  std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(),
               Cp932ToUtf8(text).c_str());
  // Without a user to ask, a question box is answered "no".
  return (style & 0x000F) == kMbYesNo ? kIdNo : kIdOk;
}

}  // namespace bw
