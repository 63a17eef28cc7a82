// Log file writer (see log.h).
#include "common/core/log.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"

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
  // The text of the write being made, kept so that a write allocates
  // nothing once it has grown.
  std::string text;
};
// Reached once per write: a thread-local costs a call on some platforms.
thread_local Batch t_batch;

// Appends `text` with each LF stored as CR LF, as text mode writes it.
void AppendStored(std::string& out, const char* text, size_t length) {
  const char* end = text + length;
  while (text < end) {
    const void* lf = std::memchr(text, '\n', static_cast<size_t>(end - text));
    if (!lf) {
      out.append(text, static_cast<size_t>(end - text));
      return;
    }
    const char* at = static_cast<const char*>(lf);
    out.append(text, static_cast<size_t>(at - text));
    out.append("\r\n", 2);
    text = at + 1;
  }
}

// The formats a check writes for every listing line hold only plain text,
// "%s" and "%d"; these are formatted here, with the bytes printf gives them,
// instead of by the C library, whose set-up per call costs more than the
// text. False (with `out` in an unknown state) for any other conversion, a
// flag, a width or a null string, which the C library then formats.
bool FormatPlain(const char* format, va_list args, std::string& out) {
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      const char* run = p;
      while (p[1] && p[1] != '%') ++p;
      AppendStored(out, run, static_cast<size_t>(p - run + 1));
      continue;
    }
    const char conversion = *++p;
    if (conversion == '%') {
      out += '%';
    } else if (conversion == 's') {
      const char* text = va_arg(args, const char*);
      if (!text) return false;
      AppendStored(out, text, std::strlen(text));
    } else if (conversion == 'd') {
      const int value = va_arg(args, int);
      // Digits of the magnitude, taken unsigned so INT_MIN has one too.
      unsigned magnitude = static_cast<unsigned>(value);
      if (value < 0) magnitude = 0u - magnitude;
      char digits[16];
      char* d = digits + sizeof digits;
      do {
        *--d = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
      } while (magnitude);
      if (value < 0) *--d = '-';
      out.append(d, static_cast<size_t>(digits + sizeof digits - d));
    } else {
      return false;
    }
  }
  return true;
}

// Formats into `out` (emptied first) with LF stored as CR LF.
void Format(const char* format, va_list args, std::string& out) {
  out.clear();
  va_list copy;
  va_copy(copy, args);
  const bool plain = FormatPlain(format, copy, out);
  va_end(copy);
  if (plain) return;
  out.clear();
  char local[512];
  va_copy(copy, args);
  int n = std::vsnprintf(local, sizeof local, format, copy);
  va_end(copy);
  if (n <= 0) return;
  if (static_cast<size_t>(n) < sizeof local) {
    AppendStored(out, local, static_cast<size_t>(n));
    return;
  }
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  AppendStored(out, text.data(), static_cast<size_t>(n));
}

std::string RefreshNote() {
  char note[80];
  int n = std::snprintf(note, sizeof note, "Logfile was Refreshed.  [MAX=%d KBytes.]\n",
                        g_logLimitKB);
  std::string out;
  AppendStored(out, note, static_cast<size_t>(n));
  return out;
}

// 64-bit product: a limit in kilobytes never overflows into a negative or
// tiny byte count.
std::uint64_t LimitBytes() { return static_cast<std::uint64_t>(g_logLimitKB) * 1024u; }

// One open (append), write and close; logging stops for good when the file
// cannot be opened.
void AppendToFile(const std::string& bytes) {
  std::FILE* f = PlatformOpenFile(g_logPath, "ab");
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
void Gather(Batch& b, const std::string& text) {
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

void WriteGathered(Batch& b) {
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
  WriteGathered(t_batch);
  g_logLimitKB = limitKB;
  g_logPath = path.substr(0, kMaxLogPath);
  if (limitKB <= 0) return;
  PlatformDeleteFile(g_logPath);
}

void LogWrite(const char* format, ...) {
  if (g_logPath.empty() || !g_logEnabled || g_logLimitKB <= 0) return;
  Batch& b = t_batch;
  va_list args;
  va_start(args, format);
  Format(format, args, b.text);
  va_end(args);
  if (b.depth == 0) {
    WriteNow(b.text);
    return;
  }
  Gather(b, b.text);
  if (b.pending.size() >= kBatchFlushBytes) WriteGathered(b);
}

LogBatch::LogBatch() { ++t_batch.depth; }

LogBatch::~LogBatch() {
  Batch& b = t_batch;
  if (--b.depth == 0) WriteGathered(b);
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
