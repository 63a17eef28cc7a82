// One IMAP session: the connection under the reader, TLS, and the commands
// of a check with their replies. Every line sent and every response
// received goes to the log, secrets masked.
#include "checker/core/imap_session.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "checker/core/imap_names.h"
#include "checker/core/pop3_session.h"
#include "checker/core/pop3_tls.h"
#include "common/core/base64.h"
#include "common/core/log.h"

namespace bw {
namespace {

// What the log shows in place of a password, a SASL response or a
// secret's literal size, whatever its length.
constexpr const char* kMaskedSecret = "********";

// The "not now" codes of a NO: the mailbox is busy or the server is short
// of something for the moment.
bool TemporaryCode(const std::string& code) { return code == "UNAVAILABLE" || code == "INUSE"; }

}  // namespace

ImapSession::ImapSession(const AncestryPop3Checker& account, std::function<int()> replyLimitMs)
    : account_(account), replyLimitMs_(std::move(replyLimitMs)) {
  reader_.SetLogName("IMAP");
}

StepResult ImapSession::Start(net::SocketHandle s) {
  socket_ = s;
  std::unique_ptr<net::ByteStream> stream;
  net::TlsStream* tls = nullptr;
  const StepResult opened = OpenAccountStream(account_, s, replyLimitMs_(), &stream, &tls);
  if (stream) Attach(std::move(stream));  // forgets any earlier TLS stream
  tls_ = tls;
  return opened;
}

void ImapSession::Attach(std::unique_ptr<net::ByteStream> stream) {
  tls_ = nullptr;
  reader_.Attach(std::move(stream));
  phase_ = Phase::Closed;
  caps_.clear();
  utf8_ = false;
  tagNumber_ = 0;
  selected_.clear();
  idleTag_.clear();
  notifyAsked_ = false;
}

void ImapSession::Close(bool shutdownFirst) {
  tls_ = nullptr;
  idleTag_.clear();
  reader_.Close(shutdownFirst);
  if (phase_ != Phase::LoggedOut) phase_ = Phase::Closed;
}

std::string ImapSession::NextTag() {
  char tag[16];
  std::snprintf(tag, sizeof tag, "a%u", ++tagNumber_);
  return tag;
}

int ImapSession::Next(std::string* raw, ImapReply* reply) {
  int rc = ReadImapResponse(reader_, replyLimitMs_(), raw, bound_);
  if (rc != 0) {
    // Where the reading stopped, the next byte is no reply's start: the
    // connection is of no further use.
    Close(false);
    return rc;
  }
  if (!ParseImapReply(*raw, reply)) {
    LogWrite("IMAP応答を解釈できません.\n");
    return ImapBadReply;
  }
  const char* name = account_.ConnectionName.c_str();
  if (reply->code == "ALERT")
    LogWrite("%s : ｻｰﾊﾞからの警告: %s\n", name, VisibleServerText(reply->text.data(), reply->text.size()).c_str());
  if (reply->code == "CAPABILITY") TakeCapabilities(*raw, reply->data, &caps_);
  if (reply->kind == ImapReply::Untagged && reply->word == "CAPABILITY") TakeCapabilities(*raw, reply->data, &caps_);
  if (reply->kind == ImapReply::Untagged && reply->word == "BYE" && phase_ != Phase::LoggedOut) {
    // The server ends the session: as good as a closed connection.
    LogWrite("%s : ｻｰﾊﾞが接続を終了しました(BYE).\n", name);
    Close(false);
    return LineClosed;
  }
  return 0;
}

int ImapSession::Send(const std::string& text, const std::string& logged) {
  return reader_.SendLineWhole(text, logged.c_str(), replyLimitMs_());
}

int ImapSession::Command(const std::vector<Piece>& pieces, ImapReply* done,
                         const std::function<void(const std::string&, const ImapReply&)>& untagged) {
  const std::string tag = NextTag();
  std::size_t next = 0;
  // Sends pieces up to one that waits for the server's "+".
  auto sendPieces = [&]() {
    while (next < pieces.size()) {
      const Piece& piece = pieces[next];
      const int rc = next == 0 ? Send(tag + " " + piece.text, tag + " " + piece.logged) : Send(piece.text, piece.logged);
      ++next;
      if (rc != 0 || piece.waits) return rc;
    }
    return 0;
  };
  int rc = sendPieces();
  if (rc != 0) return rc;
  bool cancelled = false;
  std::string challenge;
  std::string raw;
  for (;;) {
    ImapReply reply;
    if ((rc = Next(&raw, &reply)) != 0) return rc;
    if (reply.kind == ImapReply::Continuation) {
      if (next < pieces.size()) {
        rc = sendPieces();
      } else if (!cancelled) {
        // A challenge after the last response (an XOAUTH2 refusal carries
        // its reason so): an empty response ends the exchange.
        cancelled = true;
        challenge = reply.text;
        rc = Send("", "");
      } else {
        LogWrite("Protocol Error.\n");
        return ImapBadReply;
      }
      if (rc != 0) return rc;
      continue;
    }
    if (reply.kind == ImapReply::Untagged) {
      if (untagged) untagged(raw, reply);
      continue;
    }
    *done = reply;
    done->challenge = challenge;
    if (reply.tag != tag || next < pieces.size()) {
      LogWrite("Protocol Error.\n");
      return ImapBadReply;
    }
    if (reply.word == "OK") return 0;
    if (reply.word == "NO") return LineNegativeReply;
    if (reply.word == "BAD")
      LogWrite("%s : ｻｰﾊﾞがｺﾏﾝﾄﾞを受け付けません(BAD): %s\n", account_.ConnectionName.c_str(),
               VisibleServerText(reply.text.data(), reply.text.size()).c_str());
    else
      LogWrite("Protocol Error.\n");
    return ImapBadReply;
  }
}

StepResult ImapSession::Greeting() {
  std::string raw;
  ImapReply reply;
  const int rc = Next(&raw, &reply);
  if (rc == 0 && reply.kind == ImapReply::Untagged && (reply.word == "OK" || reply.word == "PREAUTH")) {
    phase_ = reply.word == "OK" ? Phase::Greeted : Phase::Authenticated;
    return {CheckStep::Greeting, 0};
  }
  Close(false);
  // A "* BYE" greeting is a refusal, as a POP3 greeting without "+OK" is.
  if (rc == LineClosed && reply.word == "BYE") {
    LogWrite("接続拒否応答.\n");
    return {CheckStep::Greeting, GreetingRefused};
  }
  if (rc != 0) return {CheckStep::Greeting, rc};
  LogWrite("接続拒否応答.\n");
  return {CheckStep::Greeting, GreetingRefused};
}

StepResult ImapSession::Capabilities() {
  if (!caps_.empty()) return {CheckStep::ImapCapability, 0};
  ImapReply done;
  const int rc = Command("CAPABILITY", &done);
  if (rc == LineNegativeReply) return {CheckStep::ImapCapability, ImapBadReply};
  return {CheckStep::ImapCapability, rc};
}

StepResult ImapSession::StartTls() {
  const char* name = account_.ConnectionName.c_str();
  // No fall-back to the clear: the account asked for TLS. A session that
  // began logged in (PREAUTH) can no longer start it.
  if (!Has("STARTTLS") || phase_ != Phase::Greeted) {
    LogWrite("%s : ｻｰﾊﾞがSTARTTLSを提供していません. 認証情報は送信しません.\n", name);
    Close(false);
    return {CheckStep::Stls, LineNegativeReply};
  }
  net::TlsStream* tls = tls_;
  ImapReply done;
  int rc = Command("STARTTLS", &done);
  if (rc != 0) {
    if (rc == LineNegativeReply || rc == ImapBadReply) {
      LogWrite("%s : ｻｰﾊﾞがSTARTTLSを拒否しました. 認証情報は送信しません.\n", name);
      rc = LineNegativeReply;
    }
    Close(false);
    return {CheckStep::Stls, rc};
  }
  // Bytes after the OK came in the clear, where anyone on the way could
  // have put them; read after the handshake they would pass for protected
  // replies.
  if (reader_.UnreadBytes() > 0) {
    LogWrite("%s : STARTTLSの応答の後に余分なﾃﾞｰﾀがあります. 認証情報は送信しません.\n", name);
    Close(false);
    return {CheckStep::Stls, StlsTrailingData};
  }
  const int secured = SecureStream(*tls, account_.HostName, replyLimitMs_(), name);
  if (secured != net::kTlsOk) {
    Close(false);
    return {CheckStep::Handshake, secured};
  }
  // What the server said in the clear is forgotten.
  caps_.clear();
  return Capabilities();
}

bool ImapSession::CredentialsSendable() const {
  auto clean = [](const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; };
  if (clean(account_.UserID) && clean(account_.Password)) return true;
  LogWrite("%s : ﾕｰｻﾞIDかﾊﾟｽﾜｰﾄﾞに改行文字またはNUL文字があるため送信しません.\n",
           account_.ConnectionName.c_str());
  return false;
}

int ImapSession::Refused(int rc, const ImapReply& reply, const char* what) {
  if (rc != LineNegativeReply) return rc;
  const char* name = account_.ConnectionName.c_str();
  const std::string text = VisibleServerText(reply.text.data(), reply.text.size());
  if (TemporaryCode(reply.code)) {
    LogWrite("%s : ｻｰﾊﾞは一時的に%sを受け付けません[%s]. 次回の更新で再試行します.\n", name, what,
             reply.code.c_str());
    return LoginTemporaryRefusal;
  }
  LogWrite("拒絶応答.\n");
  LogWrite("%s : ｻｰﾊﾞが%sを拒否しました%s%s%s: %s\n", name, what, reply.code.empty() ? "" : "[",
           reply.code.c_str(), reply.code.empty() ? "" : "]", text.c_str());
  return LineNegativeReply;
}

StepResult ImapSession::Login(const std::string& accessToken) {
  if (phase_ == Phase::Authenticated) return {CheckStep::ImapLogin, 0};
  StepResult result = account_.UsesOAuth() ? Xoauth2(accessToken) : Plain();
  if (result.ok()) phase_ = Phase::Authenticated;
  return result;
}

StepResult ImapSession::Xoauth2(const std::string& accessToken) {
  if (!Xoauth2Sendable(account_, accessToken)) return {CheckStep::Credentials, 1};
  const char* name = account_.ConnectionName.c_str();
  // The log shows neither the token nor its length.
  const std::string response = Base64Encode(Xoauth2Line(account_.UserID, accessToken));
  std::vector<Piece> pieces;
  if (Has("SASL-IR"))
    pieces.push_back({"AUTHENTICATE XOAUTH2 " + response, std::string("AUTHENTICATE XOAUTH2 ") + kMaskedSecret, false});
  else
    pieces = {{"AUTHENTICATE XOAUTH2", "AUTHENTICATE XOAUTH2", true}, {response, kMaskedSecret, false}};
  ImapReply done;
  const int rc = Command(pieces, &done);
  if (rc == 0) return {CheckStep::ImapLogin, 0};
  if (rc != LineNegativeReply) return {CheckStep::ImapLogin, rc};
  const int refused = Refused(rc, done, "XOAUTH2の認証");
  if (refused == LoginTemporaryRefusal) return {CheckStep::ImapLogin, refused};
  // The reason, when the server gave one, came as a challenge before the NO.
  if (!done.challenge.empty()) {
    const std::string status = Xoauth2ErrorStatus(("+ " + done.challenge).c_str());
    LogWrite("%s : ｻｰﾊﾞがXOAUTH2の認証を拒否しました(status=%s).\n", name, status.empty() ? "?" : status.c_str());
  }
  return {CheckStep::ImapLogin, Xoauth2Refused};
}

StepResult ImapSession::Plain() {
  const char* name = account_.ConnectionName.c_str();
  if (!CredentialsSendable()) return {CheckStep::Credentials, 1};
  if (Has("LOGINDISABLED")) {
    LogWrite("%s : ｻｰﾊﾞは暗号化されていない接続でのﾛｸﾞｲﾝを受け付けません(LOGINDISABLED). "
             "UseTLSを設定してください. 認証情報は送信しません.\n",
             name);
    return {CheckStep::ImapLogin, LoginDisabled};
  }
  if (!Has("AUTH=PLAIN")) return LoginCommand();
  const std::string response =
      Base64Encode(std::string(1, '\0') + account_.UserID + std::string(1, '\0') + account_.Password);
  std::vector<Piece> pieces;
  if (Has("SASL-IR"))
    pieces.push_back({"AUTHENTICATE PLAIN " + response, std::string("AUTHENTICATE PLAIN ") + kMaskedSecret, false});
  else
    pieces = {{"AUTHENTICATE PLAIN", "AUTHENTICATE PLAIN", true}, {response, kMaskedSecret, false}};
  ImapReply done;
  const int rc = Command(pieces, &done);
  return {CheckStep::ImapLogin, Refused(rc, done, "ﾛｸﾞｲﾝ")};
}

StepResult ImapSession::LoginCommand() {
  // Each of the two goes as a quoted string where its bytes allow, else as
  // a literal; a literal ends the piece it is announced in, and the
  // password's (its size included) is masked in the log.
  const bool nonSync = Has("LITERAL+");
  std::vector<Piece> pieces{{"LOGIN ", "LOGIN ", false}};
  auto add = [&](const std::string& value, bool secret) {
    Piece& piece = pieces.back();
    if (ImapQuotable(value, false)) {
      piece.text += ImapQuoted(value);
      piece.logged += secret ? kMaskedSecret : ImapQuoted(value);
      return;
    }
    const std::string size = std::to_string(value.size()) + (nonSync ? "+" : "");
    piece.text += "{" + size + "}";
    piece.logged += "{" + (secret ? std::string(kMaskedSecret) : size) + "}";
    piece.waits = !nonSync;
    pieces.push_back({value, secret ? kMaskedSecret : value, false});
  };
  add(account_.UserID, false);
  pieces.back().text += " ";
  pieces.back().logged += " ";
  add(account_.Password, true);
  ImapReply done;
  const int rc = Command(pieces, &done);
  return {CheckStep::ImapLogin, Refused(rc, done, "ﾛｸﾞｲﾝ")};
}

StepResult ImapSession::EnableUtf8() {
  if (!Has("ENABLE") || !Has("UTF8=ACCEPT")) return {CheckStep::ImapFolders, 0};
  ImapReply done;
  bool enabled = false;
  const int rc = Command("ENABLE UTF8=ACCEPT", &done, [&](const std::string& raw, const ImapReply& reply) {
    if (reply.word != "ENABLED") return;
    std::set<std::string> names;
    TakeCapabilities(raw, reply.data, &names);
    enabled = enabled || names.count("UTF8=ACCEPT") != 0;
  });
  // A refusal only means the names go in modified UTF-7.
  if (rc == 0) utf8_ = enabled;
  if (rc == LineNegativeReply || rc == ImapBadReply) return {CheckStep::ImapFolders, 0};
  return {CheckStep::ImapFolders, rc};
}

namespace {

// The folder's name as the server writes it back: INBOX in any case.
bool SameFolder(const std::string& sent, const std::string& answered) {
  if (sent == answered) return true;
  auto upper = [](std::string text) {
    for (char& c : text)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
  };
  return upper(sent) == "INBOX" && upper(answered) == "INBOX";
}

}  // namespace

StepResult ImapSession::Status(const std::string& folder, ImapFolderStatus* status) {
  const char* name = account_.ConnectionName.c_str();
  std::string wire;
  if (!ImapFolderWireName(folder, utf8_, &wire)) {
    LogWrite("%s : ﾌｫﾙﾀﾞ名[%s]に使えない文字があります.\n", name, folder.c_str());
    return {CheckStep::ImapFolders, FolderMissing};
  }
  bool found = false;
  bool unreadable = false;
  ImapReply done;
  const int rc = Command("STATUS " + ImapQuoted(wire) + " (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)", &done,
                         [&](const std::string& raw, const ImapReply& reply) {
                           if (reply.word != "STATUS") return;
                           ImapFolderStatus data;
                           if (!ParseImapStatus(raw, reply.data, &data)) {
                             unreadable = true;
                           } else if (SameFolder(wire, data.name) && (!found || data.hasUnseen)) {
                             // A folder's news (NOTIFY) may come as a STATUS
                             // without UNSEEN: the full answer wins.
                             *status = data;
                             found = true;
                           }
                         });
  if (rc == LineNegativeReply) {
    const int refused = Refused(rc, done, "STATUS");
    return {CheckStep::ImapFolders, refused == LineNegativeReply ? FolderMissing : refused};
  }
  if (rc != 0) return {CheckStep::ImapFolders, rc};
  if (!found || !status->hasUnseen || !status->hasUidNext || !status->hasUidValidity) {
    LogWrite("%s : ﾌｫﾙﾀﾞ[%s]のSTATUS応答を解析できません%s.\n", name, folder.c_str(),
             unreadable ? "" : "(応答なし)");
    return {CheckStep::ImapFolders, ImapBadReply};
  }
  return {CheckStep::ImapFolders, 0};
}

StepResult ImapSession::UnseenFrom(const std::string& folder, std::uint32_t fromUid, std::uint32_t* count) {
  *count = 0;
  if (const StepResult examined = Examine(folder); !examined.ok()) return examined;
  ImapReply done;
  int rc = 0;
  // "n:*" holds the message with the highest UID even when that is below
  // n, so every answer is held against n here.
  const std::string range = std::to_string(fromUid) + ":*";
  bool unreadable = false;
  if (Has("ESEARCH")) {
    std::uint32_t min = 0, found = 0;
    rc = Command("UID SEARCH RETURN (MIN COUNT) UNSEEN UID " + range, &done,
                 [&](const std::string& raw, const ImapReply& reply) {
                   if (reply.word == "ESEARCH" && !ParseImapEsearch(raw, reply.data, &min, &found)) unreadable = true;
                 });
    if (rc == 0 && !unreadable) *count = found > 0 && min < fromUid ? found - 1 : found;
  } else {
    rc = Command("UID SEARCH UNSEEN UID " + range, &done, [&](const std::string& raw, const ImapReply& reply) {
      if (reply.word != "SEARCH") return;
      std::vector<std::uint32_t> uids;
      if (!ParseImapSearch(raw, reply.data, &uids)) {
        unreadable = true;
        return;
      }
      for (std::uint32_t uid : uids)
        if (uid >= fromUid) ++*count;
    });
  }
  if (rc == LineNegativeReply) {
    const int refused = Refused(rc, done, "SEARCH");
    return {CheckStep::ImapFolders, refused == LineNegativeReply ? ImapBadReply : refused};
  }
  if (rc == 0 && unreadable) {
    LogWrite("%s : SEARCH応答を解析できません.\n", account_.ConnectionName.c_str());
    rc = ImapBadReply;
  }
  return {CheckStep::ImapFolders, rc};
}

void ImapSession::Logout() {
  if (!Connected()) return;
  phase_ = Phase::LoggedOut;
  const std::string tag = NextTag();
  if (Send(tag + " LOGOUT", tag + " LOGOUT") != 0) return;
  std::string raw;
  ImapReply reply;
  // "* BYE", then the tagged OK; whatever comes, the connection ends.
  for (int i = 0; i < 4 && Next(&raw, &reply) == 0; ++i)
    if (reply.kind == ImapReply::Tagged) break;
}

StepResult ImapSession::Examine(const std::string& folder) {
  std::string wire;
  if (!ImapFolderWireName(folder, utf8_, &wire)) return {CheckStep::ImapFolders, FolderMissing};
  if (selected_ == wire) return {CheckStep::ImapFolders, 0};
  selected_.clear();
  ImapReply done;
  const int rc = Command("EXAMINE " + ImapQuoted(wire), &done);
  if (rc == LineNegativeReply) {
    const int refused = Refused(rc, done, "EXAMINE");
    return {CheckStep::ImapFolders, refused == LineNegativeReply ? FolderMissing : refused};
  }
  if (rc != 0) return {CheckStep::ImapFolders, rc};
  selected_ = wire;
  return {CheckStep::ImapFolders, 0};
}

StepResult ImapSession::Idle(const std::string& folder) {
  if (const StepResult examined = Examine(folder); !examined.ok()) return examined;
  ImapReply done;
  const std::string tag = NextTag();
  int rc = Send(tag + " IDLE", tag + " IDLE");
  std::string raw;
  ImapReply reply;
  // Untagged news may come before the "+"; the count after it is taken
  // again anyway.
  while (rc == 0 && (rc = Next(&raw, &reply)) == 0) {
    if (reply.kind == ImapReply::Continuation) {
      idleTag_ = tag;
      return {CheckStep::ImapFolders, 0};
    }
    if (reply.kind == ImapReply::Tagged) {
      LogWrite("%s : ｻｰﾊﾞがIDLEを受け付けません.\n", account_.ConnectionName.c_str());
      rc = reply.tag == tag && reply.word == "NO" ? static_cast<int>(LineNegativeReply) : static_cast<int>(ImapBadReply);
    }
  }
  return {CheckStep::ImapFolders, rc};
}

int ImapSession::HearIdle(bool* changed) {
  *changed = false;
  std::string raw;
  ImapReply reply;
  while (Connected() && reader_.Readable()) {
    // A response that has begun is read whole within the reply time-out.
    int rc = ReadImapResponse(reader_, replyLimitMs_(), &raw, true);
    if (rc != 0) {
      Close(false);
      return rc;
    }
    if (!ParseImapReply(raw, &reply)) {
      LogWrite("IMAP -> %s\n", VisibleServerText(raw.data(), std::min<std::size_t>(raw.size(), 200)).c_str());
      LogWrite("IMAP応答を解釈できません.\n");
      Close(false);
      return ImapBadReply;
    }
    const std::string& w = reply.word;
    const bool change = reply.kind == ImapReply::Untagged &&
                        (w == "EXISTS" || w == "EXPUNGE" || w == "RECENT" || w == "FETCH" || w == "STATUS");
    // "* OK Still here" and the like keep a quiet wait quiet.
    if (reply.kind == ImapReply::Untagged && w == "OK" && reply.code.empty()) continue;
    LogWrite("IMAP -> %s(%u Bytes)\n", VisibleServerText(raw.data(), std::min<std::size_t>(raw.size(), 200)).c_str(),
             static_cast<unsigned>(raw.size() + 2));
    if (reply.kind == ImapReply::Untagged && w == "BYE") {
      LogWrite("%s : ｻｰﾊﾞが接続を終了しました(BYE).\n", account_.ConnectionName.c_str());
      Close(false);
      return LineClosed;
    }
    if (reply.kind != ImapReply::Untagged) {
      // A tagged reply ends the IDLE from the server's side.
      LogWrite("Protocol Error.\n");
      Close(false);
      return ImapBadReply;
    }
    if (change) *changed = true;
  }
  return Connected() ? 0 : LineClosed;
}

StepResult ImapSession::Notify(const std::vector<std::string>& others) {
  // New and expunged messages and flag changes (a message read elsewhere
  // lowers the count); the other folders' arrive as STATUS.
  const char* kEvents = "(MessageNew MessageExpunge FlagChange)";
  std::string list;
  for (const std::string& folder : others) {
    std::string wire;
    if (!ImapFolderWireName(folder, utf8_, &wire)) continue;
    list += (list.empty() ? "" : " ") + ImapQuoted(wire);
  }
  std::string command = std::string("NOTIFY SET (selected ") + kEvents + ")";
  if (!list.empty()) command += " (mailboxes (" + list + ") " + kEvents + ")";
  ImapReply done;
  const int rc = Command(command, &done);
  notifyAsked_ = true;
  return {CheckStep::ImapFolders, rc};
}

StepResult ImapSession::EndIdle(bool noop) {
  if (!Idling()) return {CheckStep::ImapFolders, 0};
  const std::string tag = idleTag_;
  idleTag_.clear();
  int rc = Send("DONE", "DONE");
  std::string raw;
  ImapReply reply;
  while (rc == 0 && (rc = Next(&raw, &reply)) == 0) {
    if (reply.kind != ImapReply::Tagged) continue;
    if (reply.tag != tag || reply.word != "OK") {
      LogWrite("Protocol Error.\n");
      rc = ImapBadReply;
    }
    break;
  }
  if (rc == 0 && noop) {
    ImapReply done;
    rc = Command("NOOP", &done);
  }
  if (rc != 0) Close(false);
  return {CheckStep::ImapFolders, rc};
}

}  // namespace bw
