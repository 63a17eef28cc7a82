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
// A batch writes what it has gathered once it reaches this size, so a long
// stretch of work never holds much of the log in memory.
constexpr size_t kBatchFlushBytes = 64 * 1024;

std::string g_logPath;
int g_logLimitKB = 0;
bool g_logEnabled = true;

// What one thread's open batches have gathered since their last write.
struct Batch {
  int depth = 0;
  bool gathering = false;  // `size` and `refreshed` describe the file
  bool refreshed = false;  // the file is to be deleted before `pending` goes in
  std::uint64_t size = 0;  // the file's size as writing one by one would leave it
  std::string pending;
};
thread_local Batch t_batch;

// Text with LF stored as CR LF, as text mode writes it.
std::string StoredText(const char* text, size_t length) {
  std::string out;
  out.reserve(length + 16);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return out;
}

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  return StoredText(text.data(), static_cast<size_t>(n));
}

std::string RefreshNote() {
  char note[80];
  int n = std::snprintf(note, sizeof note, "Logfile was Refreshed.  [MAX=%d KBytes.]\n",
                        g_logLimitKB);
  return StoredText(note, static_cast<size_t>(n));
}

// 64-bit product: a limit in kilobytes never overflows into a negative or
// tiny byte count.
std::uint64_t LimitBytes() { return static_cast<std::uint64_t>(g_logLimitKB) * 1024u; }

// One open (append), write and close; logging stops for good when the file
// cannot be opened.
void AppendToFile(const std::string& bytes) {
  std::FILE* f = std::fopen(g_logPath.c_str(), "ab");
  if (!f) {
    g_logEnabled = false;
    return;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void WriteNow(const std::string& text) {
  std::uint64_t size = 0;
  std::string bytes;
  if (PlatformFileSize(g_logPath, &size) && size > LimitBytes()) {
    PlatformDeleteFile(g_logPath);
    bytes = RefreshNote();
  }
  AppendToFile(bytes + text);
}

// The size rule of WriteNow applied to the file as the gathered writes
// would have left it.
void Gather(const std::string& text) {
  Batch& b = t_batch;
  if (!b.gathering) {
    b.gathering = true;
    b.refreshed = false;
    if (!PlatformFileSize(g_logPath, &b.size)) b.size = 0;
  }
  if (b.size > LimitBytes()) {
    b.refreshed = true;
    b.pending = RefreshNote();
    b.size = b.pending.size();
  }
  b.pending += text;
  b.size += text.size();
}

void WriteGathered() {
  Batch& b = t_batch;
  if (!b.gathering) return;
  if (!g_logPath.empty() && g_logEnabled && g_logLimitKB > 0) {
    if (b.refreshed) PlatformDeleteFile(g_logPath);
    AppendToFile(b.pending);
  }
  b.gathering = false;
  b.pending.clear();
}

}  // namespace

void LogSetup(const std::string& path, int limitKB) {
  WriteGathered();
  g_logLimitKB = limitKB;
  g_logPath = path.substr(0, kMaxLogPath);
  if (limitKB <= 0) return;
  PlatformDeleteFile(g_logPath);
}

void LogWrite(const char* format, ...) {
  if (g_logPath.empty() || !g_logEnabled || g_logLimitKB <= 0) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  if (t_batch.depth == 0) {
    WriteNow(text);
    return;
  }
  Gather(text);
  if (t_batch.pending.size() >= kBatchFlushBytes) WriteGathered();
}

LogBatch::LogBatch() { ++t_batch.depth; }

LogBatch::~LogBatch() {
  if (--t_batch.depth == 0) WriteGathered();
}

void LogReset() {
  g_logPath.clear();
  g_logLimitKB = 0;
  g_logEnabled = true;
  t_batch.gathering = false;
  t_batch.pending.clear();
}

bool LogActive() { return !g_logPath.empty() && g_logEnabled && g_logLimitKB > 0; }

const std::string& LogPath() { return g_logPath; }

}  // namespace bw
