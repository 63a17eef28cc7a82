// The checker's run-time POP3 account: the parameter-file record plus its
// live state (check state, error cause, counts, UIDL memory, emergency mode,
// resolved server) and one complete check of the mailbox. The account runs
// the steps in their order and takes each step's outcome; the connection and
// the dialogue belong to its Pop3Session.
#pragma once
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "checker/core/check_state.h"
#include "checker/core/account_status.h"
#include "checker/core/check_outcome.h"
#include "checker/core/imap_counts.h"
#include "checker/core/imap_session.h"
#include "checker/core/line_reader.h"
#include "checker/core/mail_header.h"
#include "checker/core/oauth_login.h"
#include "checker/core/pop3_dialogue.h"
#include "checker/core/pop3_session.h"
#include "checker/core/resolve.h"
#include "checker/core/socket_library.h"
#include "checker/core/uidl_list.h"
#include "common/core/account_record.h"
#include "platform/stream.h"

namespace bw {

// Emergency mode ends on its own once it has run for more than this.
constexpr long long kEmergencyLimitSeconds = 900;
// True when emergency mode started at `start` has run out at `now`.
bool EmergencyRunOut(std::time_t now, std::time_t start);

// The wait before the `attempt`th (from 1) reopening of a dropped push
// connection: 1, 2, 4 ... seconds, at most the account's cycle.
long long ReconnectDelayMs(int attempt, int cycleMinutes);

// An account idles on at most this many connections; further folders are
// counted with the others.
constexpr int kIdleConnectionsMax = 5;

class Pop3Checker : public AncestryPop3Checker, public AccountCodes {
 public:
  // Results of Check.
  enum CheckResult : int {
    CheckOk = 0,
    CheckNotCheckable = -1,
    CheckStartupFailed = -2,
    CheckWrongVersion = -3,
    CheckResolveFailed = -4,
    CheckConnectFailed = -10,
    CheckLoginFailed = -20,
    CheckQueryFailed = -30,
  };
  // Results of Resolve.
  enum ResolveResult : int {
    ResolveOk = 0,
    ResolveTimeoutRetry = 12,
    ResolveBadAddressChar = -10,
    ResolveBadAddress = -11,
    ResolveFailed = -12,
  };

  Pop3Checker();
  ~Pop3Checker() override;
  Pop3Checker(const Pop3Checker&) = delete;
  Pop3Checker& operator=(const Pop3Checker&) = delete;

  // Looks up address and port (socket library started by the caller); see
  // ResolveResult.
  virtual int Resolve();
  // The next check looks the server's address up again.
  void ForgetAddress() {
    for (std::uint8_t& part : ResolvedAddress) part = 0;
    ResolvedPort = 0;
  }
  // One complete visit to the server; see CheckResult.
  virtual int Check();
  virtual void AttributeText(AttributeRequest& request);
  // Counts and last check time to 0, UIDL memory emptied, state Ready.
  virtual void ResetCounts();
  // Socket, connect with time-out, greeting and APOP challenge; see
  // ConnectResult.
  virtual int Connect(char* line);
  // The dialogue's steps; see LoginResult and QueryResult.
  virtual int LoginUserPass(char* line);
  virtual int LoginApop(char* line);
  // AUTH XOAUTH2 with the access token (OAuth accounts).
  virtual int LoginXoauth2(char* line, const std::string& accessToken);
  virtual int QueryStat(char* line);
  virtual int QueryUidl(char* line);
  // Sends one command and reads its reply into `line`; 0, LineNegativeReply
  // or another LineResult. Bytes the server sent ahead of the command fail
  // it with LineUnreadData before anything is sent.
  virtual int SendCommand(const char* command, char* line);
  // Reads one CR LF line (at most 640 bytes) into `line`; see LineResult.
  // The send/receive time-out bounds the whole line, not each byte.
  virtual int ReceiveLine(char* line);
  // Shuts the connection down both ways and closes it.
  virtual void Disconnect();
  // The one-line status of the account.
  virtual void StatusText(std::string& text);

  // Takes the APOP time-stamp ("<" ... ">") out of a positive greeting into
  // Challenge; the greeting is cut after the ">".
  void TakeChallenge(char* greeting);

  // Puts a connected stream under the dialogue in place of Connect (a
  // stream of another kind, or one a test or fuzzer drives).
  void AttachStream(std::unique_ptr<net::ByteStream> stream);
  bool Connected() const { return session_.Connected(); }
  // Bytes received on the current connection that no line has taken yet.
  int UnreadBytes() const { return session_.UnreadBytes(); }

  // Emergency mode, switched by the check cycle (started at `start`) and
  // ended by a check that fails or finds mail; the one place either is done.
  void StartEmergency(std::time_t start);
  void EndEmergency();
  bool InEmergency() const { return Emergency != 0; }
  // The live values the status line shows.
  AccountLive Live() const;

  // Push for IMAP accounts (imap_push.cpp). After a good check an account
  // with UseIdle whose server offers IDLE keeps its connection and idles
  // on its first readable folder.
  enum PushEvent : int { PushQuiet = 0, PushChanged = 1, PushDropped = 2 };
  bool Idling() const { return imap_.Idling(); }
  // The kept connection dropped and the account waits to open it again.
  bool WaitsToReconnect() const { return reconnectAttempt_ > 0; }
  net::SocketHandle IdleSocket() const { return imap_.Socket(); }
  // Every idling connection's socket: the first folder's, then those of
  // the folders idling on connections of their own.
  std::vector<net::SocketHandle> IdleSockets() const;
  // The idling connection has something to read: PushQuiet (nothing of
  // note), PushChanged (the counts were taken again on the connection and
  // IDLE resumed) or PushDropped (the connection is gone; the account's
  // timer should fire after PushTimerMs to open it again).
  int PushReadable();
  // When the account's timer fires next under push: while idling, the
  // watchdog (once a cycle, and at least every 29 minutes, which renews the
  // IDLE); while waiting to reconnect, the back-off. -1 when the account is
  // polled.
  long long PushTimerMs() const;
  // Closes a kept connection (sleep, exit); LOGOUT first when `logout`.
  void EndPush(bool logout);

  // Live state.
  std::uint32_t MessageCount = 0;
  std::int32_t NewCount = 0;
  std::time_t LastCheckTime = 0;
  std::string Challenge;
  UidlList UidlMemory;
  std::vector<ImapFolderMemory> ImapMemory;
  int Emergency = 0;
  std::time_t EmergencyStart = 0;
  // Resolved server: port in network byte order (0 = unresolved), IPv4
  // address in network order.
  std::int32_t ResolvedPort = 0;
  std::uint8_t ResolvedAddress[4] = {0, 0, 0, 0};

  // The headers the last check fetched (FetchHeaders), newest first; in
  // memory only.
  std::vector<MailHeader> FetchedHeaders;

  // Look-ups used by Resolve; replaceable for tests and tools.
  std::shared_ptr<NameLookup> lookup;
  // The HTTPS client and token saving of OAuth accounts; made on first
  // use (no extra CA, nothing saved) when the program gave none.
  std::shared_ptr<OAuthAccess> oauth;
  // The machine's network, asked when a look-up or connect fails; none:
  // failures are taken as they are.
  std::shared_ptr<const NetworkConditions> network;
  // Whether this program stays to hear a kept connection (the checker, a
  // watching bellwick-check). A one-shot check always logs out, whatever
  // UseIdle says, so it never leaves a connection idling behind it.
  bool pushAllowed = false;

 private:
  using Clock = std::chrono::steady_clock;

  // Check steps 5 to 17 with the socket library started.
  int CheckOnline();
  int SimulatedCheck();
  void FinishSuccessfulCheck(bool usedUidl, UidlList& previous);
  // Puts the outcome of `result` into CheckState and ErrorCause; true when
  // the step succeeded.
  bool Take(StepResult result);
  // The limit of one wait: the setting's (capped by the wait ceiling), and
  // no further than the end of the running check.
  int WaitLimitMs(int seconds) const;

  // After a query that found new messages: the headers of the newest of
  // them. Changes neither counts nor state; false when the connection is
  // out of step afterwards (no QUIT then).
  bool FetchNewHeaders(char* line, bool usedUidl, const UidlList& previous);
  // The TOP commands from `from` on sent at once, then their answers.
  bool FetchPipelined(char* line, const std::vector<std::string>& numbers, std::size_t from);
  void LogTopRefusal();

  // The OAuth steps before the connection; CheckOk, or the check's result.
  int PrepareOAuth(std::string* accessToken);

  // IMAP accounts (imap_checker.cpp): the check after the token, the
  // connection up to the login, and the counts over the folders. The
  // session stays open after the counts; the check logs out.
  int CheckImap(const std::string& accessToken);
  // Push: the IDLE after the counts where the account and the server allow
  // it; the watchdog round trip of an idling account's check (false when the
  // connection did not answer and was dropped); the outcome of a reconnect.
  // `accessToken`, when given, opens the connections of the further folders
  // that have none yet (up to kIdleConnectionsMax in all).
  void StartIdle(const std::string* accessToken = nullptr);
  // A further folder's own connection, logged in and idling; false when it
  // could not be had (the folder is then counted on the first connection).
  bool OpenFolderIdle(ImapSession& session, const std::string& folder, const std::string& accessToken);
  void CloseFolderIdles();
  bool IdleRoundTrip();
  int AfterReconnect(int result, int state, int cause);
  int Dropped(const char* why);
  int ImapOpen(const std::string& accessToken);
  int ImapCount();
  // After the counts found new messages: the headers of the newest of them
  // (imap_header_fetch.cpp), folder by folder. Changes neither counts nor
  // state; a failure only ends the fetch.
  struct ImapNewFolder {
    std::string folder;
    std::uint32_t fromUid;  // the new messages are the unseen from this UID on
  };
  void ImapFetchHeaders(const std::vector<ImapNewFolder>& folders);
  Pop3Session session_;
  ImapSession imap_;
  // The access token kept between checks (OAuth accounts).
  oauth::AccessTokenCache accessToken_;
  // While a check runs, no wait of it goes beyond this.
  Clock::time_point checkDeadline_{};
  bool checkBounded_ = false;
  // While a connection is kept, the socket library stays started.
  std::unique_ptr<SocketLibrary> pushLibrary_;
  // Without NOTIFY, the further folders idle on connections of their own;
  // an entry is null where its folder has none.
  std::vector<std::unique_ptr<ImapSession>> folderIdles_;
  // 0, or the reconnects tried since the kept connection dropped + 1.
  int reconnectAttempt_ = 0;
  // The server's refusal of TOP is logged once while the program runs.
  bool topRefusalLogged_ = false;
  // Whether the server takes pipelined commands (CAPA), asked once.
  bool capabilitiesAsked_ = false;
  bool pipelining_ = false;
  bool topRefused_ = false;  // the first pipelined TOP was refused
};

}  // namespace bw
