// The POP3 dialogue of one check: line I/O with per-operation time-outs,
// the APOP challenge, the two logins and the mailbox queries. Every byte
// sent and every line received goes to the log.
#include <chrono>
#include <cstring>
#include <new>

#include "checker/core/md5.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "common/core/log.h"

namespace bw {
namespace {

bool Printable(unsigned char c) { return c >= 0x21 && c <= 0x7F; }
bool EndsText(unsigned char c) { return c < 0x20 || c >= 0x80; }

}  // namespace

int Pop3Checker::SendRecvTimeoutMs() const { return TimeoutMs(TOofSendRecv_Sec); }

int Pop3Checker::ReceiveLine(char* line) {
  LogWrite("POP3 -> ");
  // The time-out bounds the whole line: a server trickling bytes cannot
  // stretch one line beyond it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SendRecvTimeoutMs());
  int length = 0;
  bool afterCr = false;
  bool complete = false;
  line[0] = '\0';
  while (length < kPop3LineMax && !complete) {
    if (readStart_ == readEnd_) {
      net::SetLastError(0);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now()).count();
      int ready = left > 0 ? IoWaitReadable(static_cast<int>(left)) : 0;
      if (ready < 0) {
        LogWrite("--- SOCKET ERROR (select).  ErrCode=%d.\n", net::LastError());
        return LineSelectFailed;
      }
      if (ready == 0) {
        LogWrite("--- Timeout.\n");
        return LineTimeout;
      }
      int n = IoReceive(readBuffer_, kReadBufferSize);
      if (n < 0) {
        LogWrite("--- SOCKET ERROR.  ErrCode=%d.\n", net::LastError());
        return LineRecvFailed;
      }
      if (n == 0) {
        LogWrite("--- No Data.\n");
        return LineClosed;
      }
      readStart_ = 0;
      readEnd_ = n;
    }
    // Take bytes up to the end of the line; the rest stays for the next one.
    while (readStart_ < readEnd_ && length < kPop3LineMax) {
      const char c = readBuffer_[readStart_++];
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
  // The logged text stops before the first control or non-ASCII byte after
  // the first one; a line without such a byte logs as empty.
  int cut = 0;
  for (int i = 1; i < length; ++i) {
    if (EndsText(static_cast<unsigned char>(line[i]))) {
      cut = i;
      break;
    }
  }
  LogWrite("%.*s(%d Bytes)\n", cut, line, length);
  if (!complete) return LineTooLong;
  return std::strncmp(line, ".\r\n", 3) == 0 ? LineTerminator : 0;
}

int Pop3Checker::SendCommand(const char* command, char* line) {
  return SendCommandLogged(command, command, line);
}

int Pop3Checker::SendCommandLogged(const char* command, const char* logged, char* line) {
  line[0] = '\0';
  net::SetLastError(0);
  // Anything the server sent that no reply has taken would otherwise be
  // read as the answer to this command.
  if (UnreadBytes() > 0) {
    LogWrite("Protocol Error.\n");
    return LineUnreadData;
  }
  const int timeoutMs = SendRecvTimeoutMs();
  const int length = static_cast<int>(std::strlen(command));

  auto waitWritable = [&](const char* errorText, const char* timeoutText) {
    int ready = IoWaitWritable(timeoutMs);
    if (ready < 0) {
      LogWrite(errorText, net::LastError());
      return int(LineSelectFailed);
    }
    if (ready == 0) {
      LogWrite("%s", timeoutText);
      return int(LineTimeout);
    }
    return 0;
  };
  auto sendAll = [&](const char* data, int size) {
    while (size > 0) {
      int n = IoSend(data, size);
      if (n <= 0) return false;
      data += n;
      size -= n;
    }
    return true;
  };

  if (int rc = waitWritable("--- SOCKET ERROR (select 1).  ErrCode=%d.\n", "--- Timeout 1.\n"))
    return rc;
  bool sent = sendAll(command, length);
  LogWrite("POP3 <- %s", logged);
  if (!sent) {
    LogWrite("--- SOCKET ERROR(send 1).  ErrCode=%d.\n", net::LastError());
    return LineSendFailed;
  }
  if (int rc = waitWritable("--- SOCKET ERROR (select 2).  ErrCode=%d.\n", "--- Timeout 2.\n"))
    return rc;
  if (!sendAll("\r\n", 2)) {
    LogWrite("--- SOCKET ERROR(send 2).  ErrCode=%d.\n", net::LastError());
    return LineSendCrlfFailed;
  }
  LogWrite("(%d+%d Bytes)\n", length, 2);

  int rc = ReceiveLine(line);
  if (rc > 0 && rc != LineTimeout) LogWrite("Protocol Error.\n");
  if (rc != 0) return rc;
  if (std::strncmp(line, "+OK", 3) == 0) return 0;
  LogWrite("拒絶応答.\n");
  return LineNegativeReply;
}

void Pop3Checker::TakeChallenge(char* greeting) {
  Challenge.clear();
  char* start = nullptr;
  for (char* p = greeting; *p; ++p) {
    if (*p == '<') {
      start = p;
    } else if (*p == '>' && start) {
      p[1] = '\0';
      Challenge.assign(start, p + 1);
      LogWrite("\tChallengeStrings=%s\n", Challenge.c_str());
      return;
    }
  }
}

void Pop3Checker::SetFailureState(int result, int cause) {
  CheckState = (result == LineTimeout && ContinueTimeout) ? RetryWait : Suspended;
  ErrorCause = cause;
}

bool Pop3Checker::CredentialsSendable() {
  // A CR, LF or NUL would end the command early and let the rest of the
  // text be read as commands of its own.
  auto clean = [](const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; };
  if (clean(UserID) && clean(Password)) return true;
  LogWrite("%s : ﾕｰｻﾞIDかﾊﾟｽﾜｰﾄﾞに改行文字またはNUL文字があるため送信しません.\n",
           ConnectionName.c_str());
  CheckState = Suspended;
  ErrorCause = CauseAccount;
  return false;
}

int Pop3Checker::LoginApop(char* line) {
  if (!CredentialsSendable()) return -10;
  std::string material = Challenge + Password;
  char digest[33];
  Md5Hex(material.c_str(), digest);
  std::string command = "APOP " + UserID + " " + digest;
  int rc = SendCommand(command.c_str(), line);
  if (rc != 0) {
    SetFailureState(rc, CauseAccount);
    return -10;
  }
  return 0;
}

int Pop3Checker::LoginUserPass(char* line) {
  if (!CredentialsSendable()) return -10;
  int rc = SendCommand(("USER " + UserID).c_str(), line);
  if (rc != 0) {
    SetFailureState(rc, CauseAccount);
    return -10;
  }
  // The log shows the password's length, never the password.
  const std::string command = "PASS " + Password;
  rc = SendCommandLogged(command.c_str(), "PASS ********", line);
  if (rc != 0) {
    SetFailureState(rc, CauseAccount);
    return -20;
  }
  return 0;
}

int Pop3Checker::QueryStat(char* line) {
  int rc = SendCommand("STAT", line);
  if (rc != 0) {
    SetFailureState(rc, CauseTransfer);
    return -10;
  }
  // The count is the word after "+OK " and must be followed by a space.
  // A word that is not a decimal number within 32 bits is refused as well,
  // rather than read as some other count.
  const char* p = line + 4;
  const char* end = p;
  while (Printable(static_cast<unsigned char>(*end))) ++end;
  bool numeric = end > p && end - p <= 10;
  unsigned long long count = 0;
  for (const char* q = p; numeric && q < end; ++q) {
    if (*q < '0' || *q > '9')
      numeric = false;
    else
      count = count * 10 + unsigned(*q - '0');
  }
  if (*end != ' ' || !numeric || count > 0xFFFFFFFFull) {
    LogWrite("STAT応答解析失敗.\n");
    CheckState = Suspended;
    ErrorCause = CauseTransfer;
    return -1;
  }
  auto value = static_cast<std::uint32_t>(count);
  NewCount = static_cast<std::int32_t>(value > MessageCount ? value - MessageCount : value);
  MessageCount = value;
  return 0;
}

int Pop3Checker::QueryUidl(char* line) {
  int rc = SendCommand("UIDL", line);
  if (rc != 0) {
    SetFailureState(rc, CauseAccount);
    return -10;
  }
  UidlMemory.clear();
  while ((rc = ReceiveLine(line)) == 0) {
    const char* p = line;
    while (Printable(static_cast<unsigned char>(*p))) ++p;
    if (*p != ' ') continue;
    const char* uid = p + 1;
    const char* uidEnd = uid;
    while (*uidEnd && !EndsText(static_cast<unsigned char>(*uidEnd))) ++uidEnd;
    try {
      UidlMemory.push_back(UidlEntry{std::string(uid, uidEnd), std::string(static_cast<const char*>(line), p)});
    } catch (const std::bad_alloc&) {
      LogWrite("メモリ不足発生.\n");
    }
  }
  if (rc == LineTerminator) return 0;
  SetFailureState(rc, CauseTransfer);
  return -20;
}

}  // namespace bw
