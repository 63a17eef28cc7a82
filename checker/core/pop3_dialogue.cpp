// The POP3 dialogue of one check: commands and their replies, the APOP
// challenge, the two logins and the mailbox queries, over the account's
// line reader. Every byte sent and every line received goes to the log.
#include "checker/core/pop3_dialogue.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "checker/core/md5.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "common/core/log.h"

namespace bw {
namespace {

bool Printable(unsigned char c) { return c >= 0x21 && c <= 0x7F; }
bool EndsText(unsigned char c) { return c < 0x20 || c >= 0x80; }

// What the log shows in place of a password or an APOP digest, whatever
// its length.
constexpr const char* kMaskedSecret = "********";

}  // namespace

const char* TemporaryRefusalCode(const char* reply) {
  static const char* const kCodes[] = {"[IN-USE]", "[LOGIN-DELAY]", "[SYS/TEMP]"};
  if (std::strncmp(reply, "-ERR ", 5) != 0) return nullptr;
  const char* text = reply + 5;
  for (const char* code : kCodes) {
    std::size_t i = 0;
    while (code[i] && std::toupper(static_cast<unsigned char>(text[i])) == code[i]) ++i;
    if (!code[i]) return code;
  }
  return nullptr;
}

bool ParseStatCount(const char* reply, std::uint32_t* count) {
  // The count is the word after "+OK " and must be followed by a space.
  // A word that is not a decimal number within an int is refused as well,
  // rather than read as some other count or shown negative.
  if (std::strlen(reply) < 4) return false;
  const char* p = reply + 4;
  const char* end = p;
  while (Printable(static_cast<unsigned char>(*end))) ++end;
  if (*end != ' ' || end == p || end - p > 10) return false;
  unsigned long long value = 0;
  for (const char* q = p; q < end; ++q) {
    if (*q < '0' || *q > '9') return false;
    value = value * 10 + unsigned(*q - '0');
  }
  if (value > INT_MAX) return false;
  *count = static_cast<std::uint32_t>(value);
  return true;
}

UidlLine ParseUidlLine(const char* line) {
  const char* p = line;
  while (Printable(static_cast<unsigned char>(*p))) ++p;
  if (*p != ' ') return {UidlLine::Skipped, {}, {}};
  const char* uid = p + 1;
  const char* uidEnd = uid;
  while (*uidEnd && !EndsText(static_cast<unsigned char>(*uidEnd))) ++uidEnd;
  UidlLine parsed{UidlLine::Entry, std::string_view(line, static_cast<std::size_t>(p - line)),
                  std::string_view(uid, static_cast<std::size_t>(uidEnd - uid))};
  if (parsed.number.size() > kMessageNumberMaxLength)
    parsed.kind = UidlLine::NumberTooLong;
  else if (parsed.uid.size() > kUidMaxLength)
    parsed.kind = UidlLine::UidTooLong;
  return parsed;
}

int Pop3Checker::ReceiveLine(char* line) {
  return reader_.ReceiveLine(line, WaitLimitMs(TOofSendRecv_Sec));
}

int Pop3Checker::SendCommand(const char* command, char* line) {
  return SendCommandLogged(command, command, line);
}

int Pop3Checker::SendCommandLogged(const char* command, const char* logged, char* line) {
  line[0] = '\0';
  if (int rc = reader_.SendLine(command, logged, WaitLimitMs(TOofSendRecv_Sec))) return rc;
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
      // The server chose these bytes: the log shows them, never obeys them.
      LogWrite("\tChallengeStrings=%s\n",
               VisibleServerText(Challenge.data(), Challenge.size()).c_str());
      return;
    }
  }
}

void Pop3Checker::SetFailureState(int result, int cause) {
  CheckState = (result == LineTimeout && ContinueTimeout) ? RetryWait : Suspended;
  ErrorCause = cause;
}

void Pop3Checker::SetLoginFailureState(int result, const char* reply) {
  SetFailureState(result, CauseAccount);
  // A mailbox held by another program, or logins too close together, pass
  // by themselves: the account is tried again at its next cycle instead of
  // being stopped as if the password were wrong.
  const char* code = result == LineNegativeReply ? TemporaryRefusalCode(reply) : nullptr;
  if (!code) return;
  CheckState = RetryWait;
  LogWrite("%s : ｻｰﾊﾞは一時的にﾛｸﾞｲﾝを受け付けません%s. 次回の更新で再試行します.\n",
           ConnectionName.c_str(), code);
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
  if (!CredentialsSendable()) return LoginUserFailed;
  std::string material = Challenge + Password;
  char digest[33];
  Md5Hex(material.c_str(), digest);
  // With the challenge in the log, the digest would let anyone who reads
  // the log try passwords at leisure.
  const std::string command = "APOP " + UserID + " " + digest;
  int rc = SendCommandLogged(command.c_str(), ("APOP " + UserID + " " + kMaskedSecret).c_str(), line);
  if (rc != 0) {
    SetLoginFailureState(rc, line);
    return LoginUserFailed;
  }
  return LoginOk;
}

int Pop3Checker::LoginUserPass(char* line) {
  if (!CredentialsSendable()) return LoginUserFailed;
  int rc = SendCommand(("USER " + UserID).c_str(), line);
  if (rc != 0) {
    SetLoginFailureState(rc, line);
    return LoginUserFailed;
  }
  // The log shows neither the password nor its length.
  const std::string command = "PASS " + Password;
  rc = SendCommandLogged(command.c_str(), (std::string("PASS ") + kMaskedSecret).c_str(), line);
  if (rc != 0) {
    SetLoginFailureState(rc, line);
    return LoginPassFailed;
  }
  return LoginOk;
}

int Pop3Checker::QueryStat(char* line) {
  int rc = SendCommand("STAT", line);
  if (rc != 0) {
    SetFailureState(rc, CauseTransfer);
    return QueryCommandFailed;
  }
  std::uint32_t count = 0;
  if (!ParseStatCount(line, &count)) {
    LogWrite("STAT応答解析失敗.\n");
    CheckState = Suspended;
    ErrorCause = CauseTransfer;
    return QueryUnparsable;
  }
  NewCount = static_cast<std::int32_t>(count > MessageCount ? count - MessageCount : count);
  MessageCount = count;
  return QueryOk;
}

int Pop3Checker::QueryUidl(char* line) {
  int rc = SendCommand("UIDL", line);
  if (rc != 0) {
    SetFailureState(rc, CauseAccount);
    return QueryCommandFailed;
  }
  // A listing beyond what any real mailbox sends is refused whole rather
  // than let a server fill the memory.
  auto refuse = [this](const char* text, std::size_t limit) {
    LogWrite(text, unsigned(limit));
    CheckState = Suspended;
    ErrorCause = CauseTransfer;
    return int(QueryListingFailed);
  };
  UidlMemory.clear();
  // Every line counts toward the limit, so that lines nobody keeps cannot
  // make a listing endless. Those are not logged one by one either: a
  // listing of them would wipe the log many times over.
  std::size_t lines = 0;
  std::size_t skipped = 0;
  auto result = [&](int value) {
    if (skipped > 0) LogWrite("UIDL応答の解析できない%u行を読み飛ばしました.\n", unsigned(skipped));
    return value;
  };
  while ((rc = reader_.ReceiveLine(line, WaitLimitMs(TOofSendRecv_Sec), false)) == 0) {
    if (++lines > kUidlMaxEntries)
      return result(refuse("UIDL応答解析失敗.  一覧が%u件を超えています.\n", kUidlMaxEntries));
    const UidlLine parsed = ParseUidlLine(line);
    if (parsed.kind == UidlLine::Skipped) {
      ++skipped;
      continue;
    }
    reader_.LogLastLine(line);
    if (parsed.kind == UidlLine::NumberTooLong)
      return result(refuse("UIDL応答解析失敗.  ﾒｯｾｰｼﾞ番号が%uﾊﾞｲﾄを超えています.\n", kMessageNumberMaxLength));
    if (parsed.kind == UidlLine::UidTooLong)
      return result(refuse("UIDL応答解析失敗.  UIDが%uﾊﾞｲﾄを超えています.\n", kUidMaxLength));
    const UidlList::AppendResult added = UidlMemory.Append(parsed.uid, parsed.number);
    if (added == UidlList::OverBudget)
      return result(refuse("UIDL応答解析失敗.  全ｱｶｳﾝﾄの一覧のﾒﾓﾘが上限%uMBを超えます.\n",
                           UidlMemoryBudget() >> 20));
    if (added == UidlList::NotStored) LogWrite("メモリ不足発生.\n");
  }
  if (rc == LineTerminator) return result(QueryOk);
  SetFailureState(rc, CauseTransfer);
  return result(QueryListingFailed);
}

}  // namespace bw
