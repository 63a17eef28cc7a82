// One POP3 session: the connection under the line reader, TLS, and the
// commands of the dialogue with their replies. Every byte sent and every
// line received goes to the log.
#include "checker/core/pop3_session.h"

#include <cstring>
#include <utility>

#include <nlohmann/json.hpp>

#include "checker/core/md5.h"
#include "common/core/base64.h"
#include "checker/core/pop3_dialogue.h"
#include "checker/core/pop3_tls.h"
#include "common/core/log.h"

namespace bw {
namespace {

// What the log shows in place of a password or an APOP digest, whatever
// its length.
constexpr const char* kMaskedSecret = "********";

}  // namespace

Pop3Session::Pop3Session(const AncestryPop3Checker& account, std::function<int()> replyLimitMs)
    : account_(account), replyLimitMs_(std::move(replyLimitMs)) {}

StepResult Pop3Session::Start(net::SocketHandle s) {
  std::unique_ptr<net::ByteStream> stream;
  const StepResult opened = OpenAccountStream(account_, s, replyLimitMs_(), &stream, &tls_);
  if (stream) reader_.Attach(std::move(stream));
  return opened;
}

void Pop3Session::Attach(std::unique_ptr<net::ByteStream> stream) {
  tls_ = nullptr;
  reader_.Attach(std::move(stream));
}

void Pop3Session::Close(bool shutdownFirst) {
  tls_ = nullptr;
  reader_.Close(shutdownFirst);
}

StepResult Pop3Session::Greeting(char* line, std::string& challenge) {
  challenge.clear();
  const int rc = ReceiveLine(line);
  if (rc != 0) {
    Close(false);
    return {CheckStep::Greeting, rc};
  }
  if (std::strncmp(line, "+OK", 3) != 0) {
    Close(false);
    LogWrite("接続拒否応答.\n");
    return {CheckStep::Greeting, GreetingRefused};
  }
  TakeChallenge(line, challenge);
  return {CheckStep::Greeting, 0};
}

StepResult Pop3Session::Stls(char* line) {
  net::TlsStream* tls = tls_;
  const int rc = SendCommand("STLS", line);
  if (rc != 0) {
    // No fall-back to the clear: the account asked for TLS.
    if (rc == LineNegativeReply)
      LogWrite("%s : ｻｰﾊﾞがSTLSを拒否しました. 認証情報は送信しません.\n", account_.ConnectionName.c_str());
    Close(false);
    return {CheckStep::Stls, rc};
  }
  // Bytes after the "+OK" came in the clear, where anyone on the way could
  // have put them; read after the handshake they would pass for protected
  // replies.
  if (UnreadBytes() > 0) {
    LogWrite("%s : STLSの応答の後に余分なﾃﾞｰﾀがあります. 認証情報は送信しません.\n",
             account_.ConnectionName.c_str());
    Close(false);
    return {CheckStep::Stls, StlsTrailingData};
  }
  const int secured = SecureStream(*tls, account_.HostName, replyLimitMs_(), account_.ConnectionName.c_str());
  if (secured != net::kTlsOk) {
    Close(false);
    return {CheckStep::Handshake, secured};
  }
  return {CheckStep::Stls, 0};
}

int Pop3Session::ReceiveLine(char* line) { return reader_.ReceiveLine(line, replyLimitMs_()); }

int Pop3Session::SendCommand(const char* command, char* line) {
  return SendCommandLogged(command, command, line);
}

int Pop3Session::SendCommandLogged(const char* command, const char* logged, char* line) {
  line[0] = '\0';
  if (int rc = reader_.SendLine(command, logged, replyLimitMs_())) return rc;
  int rc = ReceiveLine(line);
  if (rc > 0 && rc != LineTimeout) LogWrite("Protocol Error.\n");
  if (rc != 0) return rc;
  if (std::strncmp(line, "+OK", 3) == 0) return 0;
  LogWrite("拒絶応答.\n");
  return LineNegativeReply;
}

StepResult Pop3Session::LoginFailed(CheckStep step, int rc, const char* reply) {
  const char* code = rc == LineNegativeReply ? TemporaryRefusalCode(reply) : nullptr;
  if (!code) return {step, rc};
  LogWrite("%s : ｻｰﾊﾞは一時的にﾛｸﾞｲﾝを受け付けません%s. 次回の更新で再試行します.\n",
           account_.ConnectionName.c_str(), code);
  return {step, LoginTemporaryRefusal};
}

bool Pop3Session::CredentialsSendable() const {
  // A CR, LF or NUL would end the command early and let the rest of the
  // text be read as commands of its own.
  auto clean = [](const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; };
  if (clean(account_.UserID) && clean(account_.Password)) return true;
  LogWrite("%s : ﾕｰｻﾞIDかﾊﾟｽﾜｰﾄﾞに改行文字またはNUL文字があるため送信しません.\n",
           account_.ConnectionName.c_str());
  return false;
}

StepResult Pop3Session::LoginApop(char* line, const std::string& challenge) {
  if (!CredentialsSendable()) return {CheckStep::Credentials, 1};
  std::string material = challenge + account_.Password;
  char digest[33];
  Md5Hex(material.c_str(), digest);
  // With the challenge in the log, the digest would let anyone who reads
  // the log try passwords at leisure.
  const std::string& user = account_.UserID;
  const std::string command = "APOP " + user + " " + digest;
  const int rc = SendCommandLogged(command.c_str(), ("APOP " + user + " " + kMaskedSecret).c_str(), line);
  if (rc != 0) return LoginFailed(CheckStep::Apop, rc, line);
  return {CheckStep::Apop, 0};
}

std::string Xoauth2Line(const std::string& userId, const std::string& accessToken) {
  return "user=" + userId + "\x01" + "auth=Bearer " + accessToken + "\x01\x01";
}

bool Xoauth2Sendable(const AncestryPop3Checker& account, const std::string& accessToken) {
  auto sendable = [](const std::string& text) {
    return text.find_first_of(std::string("\r\n\0\x01", 4)) == std::string::npos;
  };
  if (sendable(account.UserID) && sendable(accessToken)) return true;
  LogWrite("%s : ﾕｰｻﾞIDかｱｸｾｽﾄｰｸﾝに送信できない文字があるため送信しません.\n", account.ConnectionName.c_str());
  return false;
}

std::string Xoauth2ErrorStatus(const char* line) {
  if (line[0] != '+' || line[1] != ' ') return std::string();
  std::string text = line + 2;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  std::string json;
  if (!Base64Decode(text, &json)) return std::string();
  const nlohmann::json error = nlohmann::json::parse(json, nullptr, false);
  if (!error.is_object()) return std::string();
  const auto status = error.find("status");
  if (status == error.end()) return std::string();
  text = status->is_string() ? status->get<std::string>()
         : status->is_number_integer() ? std::to_string(status->get<long long>())
                                        : std::string();
  // A number of a few digits, nothing a server could dress up in the log.
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return "?";
  return text;
}

StepResult Pop3Session::LoginXoauth2(char* line, const std::string& accessToken) {
  if (!Xoauth2Sendable(account_, accessToken)) return {CheckStep::Credentials, 1};
  const char* name = account_.ConnectionName.c_str();
  line[0] = '\0';
  int rc = reader_.SendLine("AUTH XOAUTH2", "AUTH XOAUTH2", replyLimitMs_());
  if (rc == 0) rc = ReceiveLine(line);
  if (rc > 0 && rc != LineTimeout) LogWrite("Protocol Error.\n");
  if (rc != 0) return {CheckStep::Xoauth2, rc};
  if (line[0] != '+' || std::strncmp(line, "+OK", 3) == 0) {
    LogWrite("拒絶応答.\n");
    LogWrite("%s : ｻｰﾊﾞがAUTH XOAUTH2を受け付けません.\n", name);
    return LoginFailed(CheckStep::Xoauth2, LineNegativeReply, line);
  }
  // The log shows neither the token nor its length.
  const std::string response = Base64Encode(Xoauth2Line(account_.UserID, accessToken));
  rc = reader_.SendLine(response.c_str(), kMaskedSecret, replyLimitMs_());
  if (rc == 0) rc = ReceiveLine(line);
  if (rc > 0 && rc != LineTimeout) LogWrite("Protocol Error.\n");
  if (rc != 0) return {CheckStep::Xoauth2, rc};
  if (std::strncmp(line, "+OK", 3) == 0) return {CheckStep::Xoauth2, 0};
  if (line[0] == '+') {
    // The error comes as a challenge; the client ends the exchange with an
    // empty line and the server answers that with its -ERR.
    const std::string status = Xoauth2ErrorStatus(line);
    LogWrite("%s : ｻｰﾊﾞがXOAUTH2の認証を拒否しました(status=%s).\n", name, status.empty() ? "?" : status.c_str());
    rc = reader_.SendLine("", "", replyLimitMs_());
    if (rc == 0) ReceiveLine(line);
    return {CheckStep::Xoauth2, Xoauth2Refused};
  }
  LogWrite("拒絶応答.\n");
  LogWrite("%s : ｻｰﾊﾞがXOAUTH2の認証を拒否しました.\n", name);
  const StepResult failed = LoginFailed(CheckStep::Xoauth2, LineNegativeReply, line);
  return failed.code == LineNegativeReply ? StepResult{CheckStep::Xoauth2, Xoauth2Refused} : failed;
}

StepResult Pop3Session::LoginUserPass(char* line) {
  if (!CredentialsSendable()) return {CheckStep::Credentials, 1};
  int rc = SendCommand(("USER " + account_.UserID).c_str(), line);
  if (rc != 0) return LoginFailed(CheckStep::User, rc, line);
  // The log shows neither the password nor its length.
  const std::string command = "PASS " + account_.Password;
  rc = SendCommandLogged(command.c_str(), (std::string("PASS ") + kMaskedSecret).c_str(), line);
  if (rc != 0) return LoginFailed(CheckStep::Pass, rc, line);
  return {CheckStep::Pass, 0};
}

StepResult Pop3Session::Stat(char* line, std::uint32_t* count) {
  const int rc = SendCommand("STAT", line);
  if (rc != 0) return {CheckStep::Stat, rc};
  if (!ParseStatCount(line, count)) {
    LogWrite("STAT応答解析失敗.\n");
    return {CheckStep::Stat, StatUnparsable};
  }
  return {CheckStep::Stat, 0};
}

int Pop3Session::TopHeader(char* line, const std::string& number, std::string* header, std::size_t keepLimit,
                           std::size_t readLimit) {
  header->clear();
  if (const int rc = SendCommand(("TOP " + number + " 0").c_str(), line)) return rc;
  return reader_.ReceiveBody(header, keepLimit, readLimit, replyLimitMs_);
}

int Pop3Session::Capabilities(char* line, bool* pipelining) {
  *pipelining = false;
  int rc = SendCommand("CAPA", line);
  if (rc == LineNegativeReply) return 0;
  if (rc != 0) return rc;
  // A bounded listing: a real one has a dozen lines.
  for (int lines = 0; lines < 100 && (rc = ReceiveLine(line)) == 0; ++lines)
    if (std::strncmp(line, "PIPELINING", 10) == 0 && std::strchr(" \r\n", line[10])) *pipelining = true;
  return rc == LineTerminator ? 0 : rc == 0 ? LineBodyTooLong : rc;
}

int Pop3Session::SendTops(const std::vector<std::string>& numbers, std::size_t from) {
  std::vector<std::string> commands;
  for (std::size_t i = from; i < numbers.size(); ++i) commands.push_back("TOP " + numbers[i] + " 0");
  return reader_.SendLinesWhole(commands, replyLimitMs_());
}

int Pop3Session::TopAnswer(char* line, std::string* header, std::size_t keepLimit, std::size_t readLimit) {
  header->clear();
  int rc = ReceiveLine(line);
  if (rc > 0 && rc != LineTimeout) LogWrite("Protocol Error.\n");
  if (rc != 0) return rc;
  if (std::strncmp(line, "+OK", 3) != 0) {
    LogWrite("拒絶応答.\n");
    return LineNegativeReply;
  }
  return reader_.ReceiveBody(header, keepLimit, readLimit, replyLimitMs_);
}

StepResult Pop3Session::Uidl(char* line, UidlList& memory) {
  int rc = SendCommand("UIDL", line);
  if (rc != 0) return {CheckStep::UidlCommand, rc};
  // A listing beyond what any real mailbox sends is refused whole rather
  // than let a server fill the memory.
  auto refuse = [](const char* text, std::size_t limit) {
    LogWrite(text, unsigned(limit));
    return StepResult{CheckStep::UidlListing, ListingRefused};
  };
  memory.clear();
  // Every line counts toward the limit, so that lines nobody keeps cannot
  // make a listing endless. Those are not logged one by one either: a
  // listing of them would wipe the log many times over.
  std::size_t lines = 0;
  std::size_t skipped = 0;
  auto result = [&](StepResult value) {
    if (skipped > 0) LogWrite("UIDL応答の解析できない%u行を読み飛ばしました.\n", unsigned(skipped));
    return value;
  };
  while ((rc = reader_.ReceiveLine(line, replyLimitMs_(), false)) == 0) {
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
    const UidlList::AppendResult added = memory.Append(parsed.uid, parsed.number);
    if (added == UidlList::OverBudget)
      return result(refuse("UIDL応答解析失敗.  全ｱｶｳﾝﾄの一覧のﾒﾓﾘが上限%uMBを超えます.\n",
                           UidlMemoryBudget() >> 20));
    if (added == UidlList::NotStored) LogWrite("メモリ不足発生.\n");
  }
  return result({CheckStep::UidlListing, rc == LineTerminator ? 0 : rc});
}

}  // namespace bw
