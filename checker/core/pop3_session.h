// One POP3 session of an account: the line reader of the connection, TLS
// from the first byte or through STLS, and the dialogue's steps (greeting,
// STLS, login, mailbox query, quit). Each step logs what it sends and
// receives and reports its step and code; what that means for the account's
// state is the check's to decide (StepOutcome).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "checker/core/check_outcome.h"
#include "checker/core/line_reader.h"
#include "checker/core/uidl_list.h"
#include "common/core/account_record.h"
#include "platform/tls_stream.h"

namespace bw {

// The XOAUTH2 client line before base64: "user=" UserID ^A "auth=Bearer "
// token ^A ^A. Built apart from the reply buffer: with a large access token
// it runs to several kilobytes.
std::string Xoauth2Line(const std::string& userId, const std::string& accessToken);
// Whether the user ID and the token can stand in that line: a CR, LF, NUL
// or ^A would end or split it. Logs why not.
bool Xoauth2Sendable(const AncestryPop3Checker& account, const std::string& accessToken);
// The status ("401") of the server's base64 JSON error in a "+ " line, or
// empty when the line carries none.
std::string Xoauth2ErrorStatus(const char* line);

class Pop3Session {
 public:
  // `account` gives the settings (names, credentials, UseTLS); `replyLimitMs`
  // the limit of the next wait for a reply, asked afresh for each.
  Pop3Session(const AncestryPop3Checker& account, std::function<int()> replyLimitMs);

  // Puts a connected socket under the session: in the clear, or (UseTLS) as
  // a TLS stream, secured at once for POP3S.
  StepResult Start(net::SocketHandle s);
  // Puts a connected stream under the session (a test or fuzzer drives it).
  void Attach(std::unique_ptr<net::ByteStream> stream);
  // Closes the connection, shutting it down both ways first when asked.
  void Close(bool shutdownFirst);
  bool Connected() const { return reader_.Connected(); }
  int UnreadBytes() const { return reader_.UnreadBytes(); }

  // Reads the greeting into `line`; a positive one gives its APOP
  // time-stamp to `challenge`. The connection is closed on a failure.
  StepResult Greeting(char* line, std::string& challenge);
  // STLS and the handshake (UseTLS 2); the connection is closed on a failure.
  StepResult Stls(char* line);
  StepResult LoginUserPass(char* line);
  StepResult LoginApop(char* line, const std::string& challenge);
  // AUTH XOAUTH2 with the access token, in two steps: the command, the
  // server's "+", then the base64 line (logged masked). A refusal that comes
  // as a "+" with a base64 JSON error is answered with an empty line and its
  // status is logged.
  StepResult LoginXoauth2(char* line, const std::string& accessToken);
  // STAT: the count of the reply in `count`.
  StepResult Stat(char* line, std::uint32_t* count);
  // UIDL: the listing into `memory` (emptied first).
  StepResult Uidl(char* line, UidlList& memory);
  void Quit(char* line) { SendCommand("QUIT", line); }
  // TOP `number` 0: the header block of that message into `header`, its
  // first `keepLimit` bytes kept and at most `readLimit` read. 0,
  // LineNegativeReply, LineBodyTooLong or another LineResult. The block
  // never reaches the log.
  int TopHeader(char* line, const std::string& number, std::string* header, std::size_t keepLimit,
                std::size_t readLimit);

  // CAPA: whether the server takes pipelined commands (PIPELINING). 0 (a
  // refused CAPA too: then no), or a LineResult when the listing could not
  // be read (the connection is out of step).
  int Capabilities(char* line, bool* pipelining);
  // TOP n 0 for the messages `numbers` from `from` on, sent in one write
  // without waiting for answers (where the server takes pipelined
  // commands); TopAnswer reads the answers in order, as TopHeader does.
  int SendTops(const std::vector<std::string>& numbers, std::size_t from);
  int TopAnswer(char* line, std::string* header, std::size_t keepLimit, std::size_t readLimit);

  // Sends one command and reads its reply into `line`; 0, LineNegativeReply
  // or another LineResult. Bytes the server sent ahead of the command fail
  // it with LineUnreadData before anything is sent.
  int SendCommand(const char* command, char* line);
  // Reads one CR LF line (at most 640 bytes) into `line`; see LineResult.
  int ReceiveLine(char* line);

 private:
  // Sends `command`, logging `logged` in its place (the password is masked).
  int SendCommandLogged(const char* command, const char* logged, char* line);
  // The result of a failed login command (a temporary refusal is logged).
  StepResult LoginFailed(CheckStep step, int rc, const char* reply);
  // Refuses a UserID or Password that would break the command line.
  bool CredentialsSendable() const;

  const AncestryPop3Checker& account_;
  std::function<int()> replyLimitMs_;
  LineReader reader_;
  net::TlsStream* tls_ = nullptr;  // the stream under the reader when UseTLS
};

}  // namespace bw
