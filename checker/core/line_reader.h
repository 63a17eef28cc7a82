// The line framing of the POP3 dialogue over a byte stream: CR LF lines of at
// most 640 bytes read with a time-out on the whole line, command lines sent
// with their readiness waits, and the log lines of both. What the server
// sends is read ahead in blocks; bytes left over after a line wait for the
// next one, and a command is never sent while any are unread.
#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/stream.h"

namespace bw {

// Size of the reply line buffer of one check: 640 bytes plus a terminator.
constexpr int kPop3LineMax = 640;
constexpr int kPop3LineBufferSize = kPop3LineMax + 1;

// Results of ReceiveLine and SendCommand beyond 0.
enum LineResult : int {
  LineTerminator = 1,
  LineTooLong = 2,
  LineUnreadData = 3,  // bytes of the server still unread: nothing sent
  LineBodyTooLong = 4,  // a multi-line reply beyond its limit: the rest unread
  LineTimeout = 100,
  LineNegativeReply = 200,
  LineSelectFailed = -1,
  LineRecvFailed = -10,
  LineClosed = -11,
  LineSendFailed = -11,
  LineSendCrlfFailed = -21,
};

// What the log may show of bytes a server chose: control bytes (below 0x20
// and 0x7F) become "\xHH", so a server can neither end a log line, start a
// forged one, nor drive a terminal. No Shift_JIS trail byte is a control
// byte, so double-byte characters pass whole.
std::string VisibleServerText(const char* bytes, std::size_t length);

class LineReader {
 public:
  using Clock = std::chrono::steady_clock;

  // A new connection: any bytes left from an earlier one are forgotten.
  void Attach(std::unique_ptr<net::ByteStream> stream);
  // Closes the stream, shutting it down first when asked; unread bytes are
  // forgotten.
  void Close(bool shutdownFirst);
  bool Connected() const { return stream_ != nullptr; }

  // Bytes received that no line has taken yet.
  int UnreadBytes() const { return end_ - start_; }
  // Bytes (or the end of the stream, or an error) wait to be read: a read
  // now would not block. Asks without waiting and logs nothing.
  bool Readable() const { return start_ < end_ || (stream_ && stream_->WaitReadable(0) != 0); }

  // Reads one CR LF line (at most 640 bytes) into `line` and NUL-terminates
  // it; `timeoutMs` bounds the whole line. 0, or a LineResult. Without
  // `logLine` a line read with result 0 is not logged (LogLastLine may log
  // it later); failures, the terminator and an over-long line still are.
  int ReceiveLine(char* line, int timeoutMs, bool logLine = true);
  // Reads the body of a multi-line reply (after its status line) through
  // its terminating line, undoing the dot-stuffing. The first `keepLimit`
  // bytes go to `kept`, the rest is read past; nothing read is logged, only
  // a failure. Each wait gets `waitLimitMs()`. 0, LineBodyTooLong after
  // `readLimit` bytes without the end, or a failure LineResult.
  int ReceiveBody(std::string* kept, std::size_t keepLimit, std::size_t readLimit,
                  const std::function<int()>& waitLimitMs);
  // Logs the line the last ReceiveLine read into `line`, as it would have.
  void LogLastLine(const char* line) const;
  // Sends `text` and CR LF, logging `logged` and its length in place of the
  // text's (the password and the APOP digest are masked). 0, or
  // LineUnreadData, LineSelectFailed, LineTimeout, LineSendFailed,
  // LineSendCrlfFailed.
  // `refuseUnread` false lets a command go out while bytes are unread (IMAP
  // servers may send untagged data at any time).
  int SendLine(const char* text, const char* logged, int timeoutMs, bool refuseUnread = true);
  // The same with the text and CR LF in one send, for IMAP: one packet and
  // one system call a command (SendLine's two sends keep the POP3 log's
  // "send 2" lines). Bytes left unread are no reason to refuse. 0, or
  // LineSelectFailed, LineTimeout, LineSendFailed.
  int SendLineWhole(const std::string& text, const char* logged, int timeoutMs);
  // Several commands in one send, for a server that takes pipelined
  // commands: one packet and one system call for all of them. Each line is
  // logged as SendLineWhole logs it. Results as SendLineWhole's.
  int SendLinesWhole(const std::vector<std::string>& lines, int timeoutMs);

  // The protocol named in the log lines ("POP3 -> ", "IMAP <- ").
  void SetLogName(const char* name) { logName_ = name; }
  const char* LogName() const { return logName_; }
  // Byte access for readers with framing of their own: WaitBytes makes at
  // least one byte available before `end` (0), or fails as ReceiveLine
  // does, logging its failure after `failurePrefix`; Buffered gives the
  // UnreadBytes() bytes received, and Consume takes `n` of them.
  int WaitBytes(Clock::time_point end, const char* failurePrefix);
  const char* Buffered() const { return buffer_ + start_; }
  void Consume(int n) { start_ += n; }

 private:
  // Milliseconds left until `end`, rounded up.
  static int Left(Clock::time_point end);
  // Waits at most `waitMs` for bytes and receives what came into the
  // buffer (which must be empty); 0, or the failure, logged after
  // `failurePrefix`.
  int Fill(int waitMs, const char* failurePrefix);
  // The logged form of the last line read, without the "POP3 -> " prefix.
  void LogLine(const char* line) const;
  bool SendAll(const char* data, int size);
  // Waits until the stream takes bytes: 0, or LineSelectFailed or
  // LineTimeout, logged as the wait before send `which` (1 or 2).
  int WaitToSend(int which, int timeoutMs);
  // Waits until the stream takes bytes and sends `lines` (each with CR LF)
  // in one write, logging `logged` in their place.
  int SendWhole(const std::vector<std::string>& lines, const std::vector<const char*>& logged,
                int timeoutMs);

  std::unique_ptr<net::ByteStream> stream_;
  // One receive fills this per readiness wait; lines are taken from it.
  static constexpr int kBufferSize = 4096;
  char buffer_[kBufferSize];
  int start_ = 0;
  int end_ = 0;
  int lastLength_ = 0;  // bytes of the last line read, CR LF included
  const char* logName_ = "POP3";
};

}  // namespace bw
