// Line framing over a byte stream; see line_reader.h.
#include "checker/core/line_reader.h"

#include <cstdio>
#include <cstring>

#include "common/core/log.h"

namespace bw {
namespace {

bool EndsText(unsigned char c) { return c < 0x20 || c >= 0x80; }
bool ControlByte(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string VisibleServerText(const char* bytes, std::size_t length) {
  std::string text;
  text.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    // Plain bytes go over in runs: every listing line passes through here.
    std::size_t run = i;
    while (run < length && !ControlByte(static_cast<unsigned char>(bytes[run]))) ++run;
    text.append(bytes + i, run - i);
    if (run == length) break;
    i = run;
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
    text += escaped;
  }
  return text;
}

void LineReader::Attach(std::unique_ptr<net::ByteStream> stream) {
  stream_ = std::move(stream);
  start_ = end_ = 0;
}

void LineReader::Close(bool shutdownFirst) {
  start_ = end_ = 0;
  if (!stream_) return;
  if (shutdownFirst) stream_->Shutdown();
  stream_.reset();
}

int LineReader::Left(Clock::time_point end) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

int LineReader::WaitBytes(Clock::time_point end, const char* failurePrefix) {
  if (start_ < end_) return 0;
  return Fill(Left(end), failurePrefix);
}

int LineReader::ReceiveLine(char* line, int timeoutMs, bool logLine) {
  // A quiet read writes the line's prefix only with a failure, so a failed
  // read logs the same bytes either way.
  const std::string quietPrefix = std::string(logName_) + " -> ";
  const char* failurePrefix = logLine ? "" : quietPrefix.c_str();
  if (logLine) LogWrite("%s -> ", logName_);
  // The time-out bounds the whole line: a server trickling bytes cannot
  // stretch one line beyond it.
  const Clock::time_point lineEnd = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int length = 0;
  bool afterCr = false;
  bool complete = false;
  line[0] = '\0';
  while (length < kPop3LineMax && !complete) {
    if (int rc = WaitBytes(lineEnd, failurePrefix)) return rc;
    // Take bytes up to the end of the line; the rest stays for the next one.
    while (start_ < end_ && length < kPop3LineMax) {
      const char c = buffer_[start_++];
      line[length++] = c;
      if (afterCr) {
        afterCr = false;  // a byte other than LF cancels the CR, itself included
        if (c == '\n') {
          complete = true;
          break;
        }
      } else {
        afterCr = c == '\r';
      }
    }
    line[length] = '\0';
  }
  lastLength_ = length;
  const int result = !complete ? LineTooLong : std::strncmp(line, ".\r\n", 3) == 0 ? LineTerminator : 0;
  if (logLine) {
    LogLine(line);
  } else if (result != 0) {
    LogWrite("%s -> ", logName_);
    LogLine(line);
  }
  return result;
}

int LineReader::Fill(int waitMs, const char* failurePrefix) {
  net::SetLastError(0);
  int ready = 0;
  if (!stream_) {
    net::SetLastError(net::kErrBadSocket);
    ready = -1;
  } else if (waitMs > 0) {
    ready = stream_->WaitReadable(waitMs);
  }
  if (ready < 0) {
    LogWrite("%s--- SOCKET ERROR (select).  ErrCode=%d.\n", failurePrefix, net::LastError());
    return LineSelectFailed;
  }
  if (ready == 0) {
    LogWrite("%s--- Timeout.\n", failurePrefix);
    return LineTimeout;
  }
  const int n = stream_->Receive(buffer_, kBufferSize);
  if (n < 0) {
    LogWrite("%s--- SOCKET ERROR.  ErrCode=%d.\n", failurePrefix, net::LastError());
    return LineRecvFailed;
  }
  if (n == 0) {
    LogWrite("%s--- No Data.\n", failurePrefix);
    return LineClosed;
  }
  start_ = 0;
  end_ = n;
  return 0;
}

int LineReader::ReceiveBody(std::string* kept, std::size_t keepLimit, std::size_t readLimit,
                            const std::function<int()>& waitLimitMs) {
  // Where the reader stands: at a line's start, after a dot there, after
  // that dot's CR, inside a line, or after a CR inside a line.
  enum { LineStart, Dot, DotCr, Inside, Cr } at = LineStart;
  std::size_t read = 0;
  auto keep = [&](char c) {
    if (kept->size() < keepLimit) *kept += c;
  };
  while (true) {
    if (start_ == end_) {
      if (const int rc = Fill(waitLimitMs(), "POP3 -> ")) return rc;
    }
    while (start_ < end_) {
      const char c = buffer_[start_++];
      if (++read > readLimit) return LineBodyTooLong;
      switch (at) {
        case LineStart:
          if (c == '.') {
            at = Dot;
            continue;
          }
          break;
        case Dot:
          if (c == '\r') {
            at = DotCr;
            continue;
          }
          break;  // a stuffed dot: the one taken away, the byte after it kept
        case DotCr:
          if (c == '\n') return 0;  // the terminating line
          keep('\r');
          break;
        case Inside:
        case Cr:
          break;
      }
      keep(c);
      if (c == '\n' && (at == Cr || at == DotCr)) at = LineStart;
      else at = c == '\r' ? Cr : Inside;
    }
  }
}

void LineReader::LogLine(const char* line) const {
  // The logged text stops before the first control or non-ASCII byte after
  // the first one; a line without such a byte logs as empty.
  int cut = 0;
  for (int i = 1; i < lastLength_; ++i) {
    if (EndsText(static_cast<unsigned char>(line[i]))) {
      cut = i;
      break;
    }
  }
  LogWrite("%s(%d Bytes)\n", VisibleServerText(line, static_cast<std::size_t>(cut)).c_str(),
           lastLength_);
}

void LineReader::LogLastLine(const char* line) const {
  LogWrite("%s -> ", logName_);
  LogLine(line);
}

bool LineReader::SendAll(const char* data, int size) {
  while (size > 0) {
    const int n = stream_->Send(data, size);
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

int LineReader::WaitToSend(int which, int timeoutMs) {
  int ready = -1;
  if (!stream_)
    net::SetLastError(net::kErrBadSocket);
  else
    ready = stream_->WaitWritable(timeoutMs);
  if (ready < 0) {
    LogWrite("--- SOCKET ERROR (select %d).  ErrCode=%d.\n", which, net::LastError());
    return LineSelectFailed;
  }
  if (ready == 0) {
    LogWrite("--- Timeout %d.\n", which);
    return LineTimeout;
  }
  return 0;
}

int LineReader::SendLine(const char* text, const char* logged, int timeoutMs, bool refuseUnread) {
  net::SetLastError(0);
  // Anything the server sent that no reply has taken would otherwise be
  // read as the answer to this command.
  if (refuseUnread && UnreadBytes() > 0) {
    LogWrite("Protocol Error.\n");
    return LineUnreadData;
  }
  const int length = static_cast<int>(std::strlen(text));

  if (int rc = WaitToSend(1, timeoutMs)) return rc;
  const bool sent = SendAll(text, length);
  LogWrite("%s <- %s", logName_, logged);
  if (!sent) {
    LogWrite("--- SOCKET ERROR(send 1).  ErrCode=%d.\n", net::LastError());
    return LineSendFailed;
  }
  if (int rc = WaitToSend(2, timeoutMs)) return rc;
  if (!SendAll("\r\n", 2)) {
    LogWrite("--- SOCKET ERROR(send 2).  ErrCode=%d.\n", net::LastError());
    return LineSendCrlfFailed;
  }
  // The count is that of the text logged: a masked command must not tell
  // the length of what it hides.
  LogWrite("(%d+%d Bytes)\n", static_cast<int>(std::strlen(logged)), 2);
  return 0;
}

int LineReader::SendLineWhole(const std::string& text, const char* logged, int timeoutMs) {
  return SendWhole({text}, {logged}, timeoutMs);
}

int LineReader::SendLinesWhole(const std::vector<std::string>& lines, int timeoutMs) {
  std::vector<const char*> logged;
  for (const std::string& line : lines) logged.push_back(line.c_str());
  return SendWhole(lines, logged, timeoutMs);
}

int LineReader::SendWhole(const std::vector<std::string>& lines,
                          const std::vector<const char*>& logged, int timeoutMs) {
  net::SetLastError(0);
  if (int rc = WaitToSend(1, timeoutMs)) return rc;
  std::string data;
  for (const std::string& line : lines) data += line + "\r\n";
  const bool sent = SendAll(data.data(), static_cast<int>(data.size()));
  // Every line but the last is logged whole; the last one's byte count
  // follows only a successful send, as a single command's does.
  for (std::size_t i = 0; i + 1 < logged.size(); ++i)
    LogWrite("%s <- %s(%d+%d Bytes)\n", logName_, logged[i], static_cast<int>(std::strlen(logged[i])), 2);
  const char* last = logged.empty() ? "" : logged.back();
  LogWrite("%s <- %s", logName_, last);
  if (!sent) {
    LogWrite("--- SOCKET ERROR(send 1).  ErrCode=%d.\n", net::LastError());
    return LineSendFailed;
  }
  LogWrite("(%d+%d Bytes)\n", static_cast<int>(std::strlen(last)), 2);
  return 0;
}

}  // namespace bw
