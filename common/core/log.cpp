// Log file writer (see log.h).
#include "common/core/log.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/core/platform.h"

namespace bw {
namespace {

// The log path keeps at most this many bytes, like the fixed buffer the
// parameter-file line fits into.
constexpr size_t kMaxLogPath = 519;

std::string g_logPath;
int g_logLimitKB = 0;
bool g_logEnabled = true;

// Appends text to the file with LF stored as CR LF, as text mode does.
bool AppendText(std::FILE* f, const char* text, size_t length) {
  std::string out;
  out.reserve(length + 16);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return std::fwrite(out.data(), 1, out.size(), f) == out.size();
}

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  return std::string(text.data(), static_cast<size_t>(n));
}

}  // namespace

void LogSetup(const std::string& path, int limitKB) {
  g_logLimitKB = limitKB;
  g_logPath = path.substr(0, kMaxLogPath);
  if (limitKB <= 0) return;
  PlatformDeleteFile(g_logPath);
}

void LogWrite(const char* format, ...) {
  if (g_logPath.empty() || !g_logEnabled || g_logLimitKB <= 0) return;

  // 64-bit product: a limit in kilobytes never overflows into a negative or
  // tiny byte count.
  const std::uint64_t limitBytes = static_cast<std::uint64_t>(g_logLimitKB) * 1024u;
  bool refreshed = false;
  std::uint64_t size = 0;
  if (PlatformFileSize(g_logPath, &size) && size > limitBytes) {
    PlatformDeleteFile(g_logPath);
    refreshed = true;
  }

  std::FILE* f = std::fopen(g_logPath.c_str(), "ab");
  if (!f) {
    g_logEnabled = false;
    return;
  }
  if (refreshed) {
    char note[80];
    int n = std::snprintf(note, sizeof note, "Logfile was Refreshed.  [MAX=%d KBytes.]\n",
                          g_logLimitKB);
    AppendText(f, note, static_cast<size_t>(n));
  }
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  AppendText(f, text.data(), text.size());
  std::fclose(f);
}

void LogReset() {
  g_logPath.clear();
  g_logLimitKB = 0;
  g_logEnabled = true;
}

bool LogActive() { return !g_logPath.empty() && g_logEnabled && g_logLimitKB > 0; }

const std::string& LogPath() { return g_logPath; }

}  // namespace bw
