// One IMAP session of an account: the connection under the reader, TLS
// from the first byte or through STARTTLS, and the session's steps as an
// explicit sequence the account drives (greeting, capabilities, STARTTLS,
// login, ENABLE, STATUS per folder, the new-message search, LOGOUT). Each
// step logs what it sends and receives and reports its step and code; the
// account decides what that means for its state. The session stays open
// between the steps, so a caller may keep it after the counts.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "checker/core/check_outcome.h"
#include "checker/core/imap_reply.h"
#include "checker/core/line_reader.h"
#include "common/core/account_record.h"
#include "platform/tls_stream.h"

namespace bw {

class ImapSession {
 public:
  // Where the session stands; each step checks it before it sends.
  enum class Phase { Closed, Greeted, Authenticated, LoggedOut };

  ImapSession(const AncestryPop3Checker& account, std::function<int()> replyLimitMs);

  // Puts a connected socket under the session: in the clear, or (UseTLS) as
  // a TLS stream, secured at once for IMAPS.
  StepResult Start(net::SocketHandle s);
  // Puts a connected stream under the session (a test drives it).
  void Attach(std::unique_ptr<net::ByteStream> stream);
  void Close(bool shutdownFirst);
  bool Connected() const { return reader_.Connected(); }
  Phase CurrentPhase() const { return phase_; }

  // "* OK", "* PREAUTH" (already logged in) or "* BYE" (refused), with the
  // capabilities a greeting may carry. The connection is closed on a failure.
  StepResult Greeting();
  // CAPABILITY, unless the capabilities are known already.
  StepResult Capabilities();
  // STARTTLS and the handshake, then CAPABILITY again (UseTLS 2). Refused
  // before anything is sent when the server does not offer it.
  StepResult StartTls();
  // AUTHENTICATE XOAUTH2 (OAuth accounts), else AUTHENTICATE PLAIN where
  // offered, else LOGIN. Nothing is sent under LOGINDISABLED. A session
  // that began PREAUTH passes.
  StepResult Login(const std::string& accessToken);
  // ENABLE UTF8=ACCEPT where offered; folder names then go as UTF-8.
  StepResult EnableUtf8();
  // STATUS of one folder (named as the user typed it): 0, or FolderMissing
  // when the server refused it for good (the folder is logged and skipped).
  StepResult Status(const std::string& folder, ImapFolderStatus* status);
  // The unseen messages of `folder` whose UID is `fromUid` or above:
  // EXAMINE (read only: nothing changes) and UID SEARCH.
  StepResult UnseenFrom(const std::string& folder, std::uint32_t fromUid, std::uint32_t* count);
  // The UIDs of the unseen messages of `folder` from `fromUid` on, the
  // highest `most` of them, highest first (EXAMINE: read only).
  StepResult NewestUnseen(const std::string& folder, std::uint32_t fromUid, std::size_t most,
                          std::vector<std::uint32_t>* uids);
  // The From, Subject and Date lines of the messages `uids` of the folder
  // NewestUnseen examined (BODY.PEEK: nothing is marked seen), in the order
  // of `uids`; each block kept to `bound.keep` bytes and read past up to
  // `bound.readPast`. Messages the server did not answer for are left out.
  StepResult FetchHeaderFields(const std::vector<std::uint32_t>& uids, const ImapLiteralBound& bound,
                               std::vector<std::string>* blocks);
  // LOGOUT; the reply is read but never matters.
  void Logout();

  // Push. IDLE on `folder` (EXAMINE first, read only, unless selected):
  // the server's "+" ends the step. 0, FolderMissing, or a failure as the
  // other steps'.
  StepResult Idle(const std::string& folder);
  // What the server sent while idling, read without waiting: `changed`
  // tells whether any of it says the folder changed (EXISTS, EXPUNGE,
  // RECENT, FETCH, STATUS). Only changes reach the log. 0, or a read
  // failure (the connection is then closed).
  int HearIdle(bool* changed);
  // DONE and the IDLE's tagged reply; then NOOP when `noop` (the watchdog's
  // round trip).
  StepResult EndIdle(bool noop);
  bool Idling() const { return !idleTag_.empty(); }
  // Where the server offers NOTIFY: news of the selected folder and of
  // `others` (named as the user typed them) during the IDLE, the others'
  // as STATUS responses. Asked once per connection; 0, or the command's
  // failure (the IDLE then watches the selected folder alone).
  StepResult Notify(const std::vector<std::string>& others);
  bool NotifyAsked() const { return notifyAsked_; }
  // The connection's socket (for the wait of the window), as Start got it.
  net::SocketHandle Socket() const { return socket_; }

  bool Has(const char* capability) const { return caps_.count(capability) != 0; }
  bool Utf8Enabled() const { return utf8_; }

 private:
  // Reads the next response into `raw` and `reply` and handles what any
  // response may carry: "* BYE" (LineClosed: the check ends as on a closed
  // connection), [ALERT], capabilities. 0, a LineResult, ReplyTooLong or
  // ImapBadReply (not a response).
  int Next(std::string* raw, ImapReply* reply);
  // Sends a command (its pieces: a literal's announcement ends a piece)
  // and reads up to its tagged reply; `untagged` sees the untagged
  // responses on the way. 0 (OK), LineNegativeReply (NO), ImapBadReply
  // (BAD or another tag), or a read failure. `done` gets the tagged reply.
  struct Piece {
    std::string text, logged;
    bool waits;  // ends with a literal's announcement that waits for "+"
  };
  int Command(const std::vector<Piece>& pieces, ImapReply* done,
              const std::function<void(const std::string&, const ImapReply&)>& untagged = {});
  int Command(const std::string& text, ImapReply* done,
              const std::function<void(const std::string&, const ImapReply&)>& untagged = {}) {
    return Command({{text, text, false}}, done, untagged);
  }
  int Send(const std::string& text, const std::string& logged);
  // Opens `folder` read-only with EXAMINE unless it is the one open; a
  // folder the server refuses is FolderMissing.
  StepResult Examine(const std::string& folder);
  std::string NextTag();
  // The code of a failed login or folder step, with the log line it needs.
  int Refused(int rc, const ImapReply& reply, const char* what);
  StepResult Xoauth2(const std::string& accessToken);
  StepResult Plain();
  StepResult LoginCommand();
  bool CredentialsSendable() const;

  const AncestryPop3Checker& account_;
  std::function<int()> replyLimitMs_;
  LineReader reader_;
  net::TlsStream* tls_ = nullptr;
  Phase phase_ = Phase::Closed;
  std::set<std::string> caps_;
  bool utf8_ = false;
  unsigned tagNumber_ = 0;
  std::string selected_;  // the folder EXAMINE selected last
  ImapLiteralBound bound_;  // of the literals Next reads
  std::string idleTag_;   // the running IDLE's tag; empty when not idling
  bool notifyAsked_ = false;
  net::SocketHandle socket_{};
};

}  // namespace bw
