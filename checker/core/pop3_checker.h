// The checker's run-time POP3 account: the parameter-file record plus its
// live state (check state, error cause, counts, UIDL memory, emergency mode,
// resolved server) and one complete check of the mailbox.
#pragma once
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/core/account_record.h"
#include "net/socket.h"
#include "net/tls_stream.h"

namespace bw {

// Size of the reply line buffer of one check: 640 bytes plus a terminator.
constexpr int kPop3LineMax = 640;
constexpr int kPop3LineBufferSize = kPop3LineMax + 1;

// One line of a UIDL listing, kept between checks.
struct UidlEntry {
  std::string uid;
  std::string number;
};
using UidlList = std::vector<UidlEntry>;

// How many entries of `current` have a UID that `previous` lacks (exact
// byte comparison), in time linear in both lists.
std::int32_t CountNewUids(const UidlList& current, const UidlList& previous);

// Carries a two-letter attribute code in and its text out (AttributeText).
struct AttributeRequest {
  std::string code;
  std::string result;
};

// Host and service look-ups. The default goes to the platform resolver; tests
// put slow or failing ones in. A worker thread holds its own reference, so an
// abandoned look-up never touches a destroyed account.
class NameLookup {
 public:
  virtual ~NameLookup() = default;
  // True with the IPv4 address (network order) when the host is known.
  virtual bool Host(const std::string& name, std::uint8_t address[4]);
  // Port in network byte order, 0 when the service is unknown.
  virtual std::uint16_t ServiceByName(const std::string& name);
  virtual std::uint16_t ServiceByPort(std::uint16_t portNetOrder);
};

class Pop3Checker : public AncestryPop3Checker {
 public:
  enum CheckStateCode : int {
    Unprocessed = 0,
    Ready = 1,
    Communicating = 2,
    Suspended = 3,
    RetryWait = 4,
    ServerRefused = 5,
  };
  enum ErrorCauseCode : int {
    CauseNone = 0,  // also: a malformed dotted address
    CauseDns = 1,
    CauseSocket = 2,
    CauseConnection = 3,
    CauseAccount = 4,
    CauseTransfer = 5,
  };
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
  // Results of ReceiveLine / SendCommand beyond 0.
  enum LineResult : int {
    LineTerminator = 1,
    LineTooLong = 2,
    LineUnreadData = 3,  // bytes of the server still unread: nothing sent
    LineTimeout = 100,
    LineNegativeReply = 200,
    LineSelectFailed = -1,
    LineRecvFailed = -10,
    LineClosed = -11,
    LineSendFailed = -11,
    LineSendCrlfFailed = -21,
  };
  // Connect's result when the account's TLS could not be had: nothing sent.
  static constexpr int ConnectTlsFailed = -40;

  Pop3Checker();
  ~Pop3Checker() override;
  Pop3Checker(const Pop3Checker&) = delete;
  Pop3Checker& operator=(const Pop3Checker&) = delete;

  // Looks up address and port (WinSock started by the caller).
  // 0, 12 (time-out, retry wanted), -10/-11 (bad dotted address), -12.
  virtual int Resolve();
  // One complete visit to the server; see CheckResult.
  virtual int Check();
  virtual void AttributeText(AttributeRequest& request);
  // Counts and last check time to 0, UIDL memory emptied, state Ready.
  virtual void ResetCounts();
  // Socket, connect with time-out, greeting and APOP challenge.
  // 0, -10 socket, -20 connect, -30 greeting read, -31 greeting refused.
  virtual int Connect(char* line);
  virtual int LoginUserPass(char* line);  // 0, -10 USER, -20 PASS
  virtual int LoginApop(char* line);      // 0, -10
  virtual int QueryStat(char* line);      // 0, -10 command, -1 unparsable
  virtual int QueryUidl(char* line);      // 0, -10 command, -20 listing
  // Sends one command and reads its reply into `line`; see LineResult.
  // Bytes the server sent ahead of the command fail it with LineUnreadData
  // before anything is sent, so they are never taken as its reply.
  virtual int SendCommand(const char* command, char* line);
  // Reads one CR LF line (at most 640 bytes) into `line`; see LineResult.
  // The send/receive time-out bounds the whole line, not each byte.
  virtual int ReceiveLine(char* line);
  // Shuts the connection down both ways and closes the socket.
  virtual void Disconnect();
  // The one-line status of the account.
  virtual void StatusText(std::string& text);

  // Takes the APOP time-stamp ("<" ... ">") out of a positive greeting into
  // Challenge; the greeting is cut after the ">".
  void TakeChallenge(char* greeting);

  // Emergency mode, switched by the check cycle.
  void StartEmergency();
  void EndEmergency();
  bool InEmergency() const { return Emergency != 0; }

  // Live state.
  std::uint32_t MessageCount = 0;
  std::int32_t NewCount = 0;
  std::time_t LastCheckTime = 0;
  std::string Challenge;
  UidlList UidlMemory;
  int Emergency = 0;
  std::time_t EmergencyStart = 0;
  // Resolved server: port in network byte order (0 = unresolved), IPv4
  // address in network order.
  std::int32_t ResolvedPort = 0;
  std::uint8_t ResolvedAddress[4] = {0, 0, 0, 0};
  net::SocketHandle Socket = net::kInvalidSocket;

  // Look-ups used by Resolve; replaceable for tests and tools.
  std::shared_ptr<NameLookup> lookup;

  // Bytes received on the current connection that no line has taken yet.
  int UnreadBytes() const { return readEnd_ - readStart_; }
  // Starts the read buffer over for a new connection (or none).
  void ForgetUnread() { readStart_ = readEnd_ = 0; }

 private:
  // Sends `command`, logging `logged` in its place (the password is masked).
  int SendCommandLogged(const char* command, const char* logged, char* line);
  // Refuses a UserID or Password that would break the command line.
  bool CredentialsSendable();

  // The connected socket, kept in the clear or (UseTLS) under a TlsStream,
  // secured at once for POP3S (pop3_tls.cpp).
  int AttachConnection(net::SocketHandle s);
  // STLS after the greeting, then the handshake (UseTLS 2).
  int StartTlsAfterGreeting(char* line);
  // The handshake and its log line; the state of a failure.
  int SecureStream(net::TlsStream& stream);
  // Closes the connection without shutting it down.
  void CloseConnection();
  // The connection's I/O, through the TLS stream when there is one.
  int IoWaitReadable(int timeoutMs);
  int IoWaitWritable(int timeoutMs);
  int IoReceive(void* data, int length);
  int IoSend(const void* data, int length);

  int SimulatedCheck();
  void FinishSuccessfulCheck(bool usedUidl, UidlList& previous);
  void SetFailureState(int result, int cause);
  int SendRecvTimeoutMs() const;

  // One recv fills this per readiness wait; ReceiveLine takes lines from it.
  static constexpr int kReadBufferSize = 4096;
  char readBuffer_[kReadBufferSize];
  int readStart_ = 0;
  int readEnd_ = 0;
  // The TLS stream over Socket while an account with UseTLS is connected.
  std::unique_ptr<net::TlsStream> stream_;
};

// Status word of a check state ("未処理", "通信処理中", ...), empty for Ready.
const char* CheckStateWord(int state);
// The bracketed cause text for a failed state, e.g. "(DNSﾀｲﾑｱｳﾄ)".
const char* ErrorCauseText(int state, int cause);

}  // namespace bw
