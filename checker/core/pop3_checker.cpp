// One complete check of an account: the socket library, resolution,
// connection, login and mailbox query in their order under one time limit,
// the state each step's outcome leaves, the counts, simulated checks and the
// end of emergency mode.
#include "checker/core/pop3_checker.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "checker/core/header_fetch.h"
#include "checker/core/resolve_connect.h"
#include "checker/core/resolve_worker.h"
#include "checker/core/simulation.h"
#include "checker/core/socket_library.h"
#include "checker/core/time_text.h"
#include "common/core/log.h"

namespace bw {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsBetween(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count();
}

}  // namespace

bool EmergencyRunOut(std::time_t now, std::time_t start) {
  return std::llabs(static_cast<long long>(now) - static_cast<long long>(start)) >
         kEmergencyLimitSeconds;
}

Pop3Checker::Pop3Checker()
    : lookup(std::make_shared<NameLookup>()),
      session_(*this, [this] { return WaitLimitMs(TOofSendRecv_Sec); }),
      imap_(*this, [this] { return WaitLimitMs(TOofSendRecv_Sec); }) {
  CheckState = Unprocessed;
  ErrorCause = CauseNone;
}

Pop3Checker::~Pop3Checker() {
  Disconnect();
  // Kept connections close while the socket library is still started.
  imap_.Close(false);
  folderIdles_.clear();
}

void Pop3Checker::StartEmergency(std::time_t start) {
  Emergency = 1;
  EmergencyStart = start;
}

void Pop3Checker::EndEmergency() {
  Emergency = 0;
  EmergencyStart = 0;
}

int Pop3Checker::WaitLimitMs(int seconds) const {
  const int limit = TimeoutMs(seconds);
  if (!checkBounded_) return limit;
  // Rounded up, so that a wait cut by the deadline ends at it, not before.
  const long long left =
      std::chrono::ceil<std::chrono::milliseconds>(checkDeadline_ - Clock::now()).count();
  return static_cast<int>(std::max(0LL, std::min<long long>(limit, left)));
}

int Pop3Checker::Check() {
  if (!CheckableState(CheckState)) {
    EndEmergency();
    return CheckNotCheckable;
  }
  // The check's lines go to the file together when it ends (or every 64 KiB),
  // not with an open and close each: a UIDL listing logs two per message.
  // Nothing inside waits for the user, and no worker thread of it logs.
  LogBatch batch;
  LogWrite("--- [%s] --- %s", ConnectionName.c_str(), AsctimeText(std::time(nullptr)).c_str());
  if (SimulationMode()) return SimulatedCheck();

  SocketLibrary library;
  if (library.result() != SocketLibrary::Started) {
    Take({CheckStep::SocketLibrary, library.result()});
    return library.result() == SocketLibrary::WrongVersion ? CheckWrongVersion
                                                           : CheckStartupFailed;
  }
  // Every wait of the check stops at one deadline (WaitLimitMs), so that no server, by
  // trickling replies each within its own time-out, holds the checker for
  // longer than the ceiling.
  const int ceilingMs = CheckCeilingMs();
  checkDeadline_ = Clock::now() + std::chrono::milliseconds(ceilingMs);
  checkBounded_ = true;
  const int stateBefore = CheckState, causeBefore = ErrorCause;
  const bool pushed = WaitsToReconnect() || Idling();
  int result = CheckOnline();
  if (pushed) result = AfterReconnect(result, stateBefore, causeBefore);
  checkBounded_ = false;
  if (result != CheckOk && Clock::now() >= checkDeadline_)
    LogWrite("%s : 確認全体の制限時間(%d秒)を超えたため打ち切りました.\n", ConnectionName.c_str(),
             ceilingMs / 1000);
  return result;
}

int Pop3Checker::CheckOnline() {
  // A password stored protected that could not be read is not guessed at:
  // nothing is sent until it is entered again.
  if (!UsesOAuth() && PasswordUnreadable) {
    LogWrite("%s : %s\n", ConnectionName.c_str(), UnreadablePasswordText());
    Take({CheckStep::Credentials, 2});
    EndEmergency();
    return CheckLoginFailed;
  }
  // An OAuth account that cannot be checked as set is refused before
  // anything is sent.
  if (UsesOAuth() && !Take(CheckOAuthSettings(*this))) {
    EndEmergency();
    return CheckLoginFailed;
  }
  if (ResolvedPort == 0 && Resolve() != ResolveOk) return CheckResolveFailed;

  FetchedHeaders.clear();
  std::string accessToken;
  if (UsesOAuth()) {
    if (!oauth) oauth = std::make_shared<OAuthAccess>();
    // The token request as a whole gets the account's send and receive
    // time-out, as a TLS handshake does, and ends by the check's deadline.
    if (!Take(ObtainAccessToken(*this, *oauth, accessToken_, std::max(1, WaitLimitMs(TOofSendRecv_Sec)),
                                &accessToken))) {
      EndEmergency();
      return CheckLoginFailed;
    }
  }

  if (UsesImap()) return CheckImap(accessToken);

  char line[kPop3LineBufferSize];
  const Clock::time_point start = Clock::now();
  if (Connect(line) < 0) {
    EndEmergency();
    return CheckConnectFailed;
  }
  const bool apop = UseAPOP == 1 || (UseAPOP == 0 && !Challenge.empty());
  const int login = UsesOAuth() ? LoginXoauth2(line, accessToken) : apop ? LoginApop(line) : LoginUserPass(line);
  if (login < 0) {
    Disconnect();
    EndEmergency();
    return CheckLoginFailed;
  }

  const bool useUidl = UseUIDL != 0;
  UidlList previous;
  int query;
  if (useUidl) {
    previous = std::move(UidlMemory);
    UidlMemory.clear();
    query = QueryUidl(line);
  } else {
    query = QueryStat(line);
  }
  bool inStep = true;
  if (query == QueryOk && FetchHeaders != 0) inStep = FetchNewHeaders(line, useUidl, previous);
  if (query == QueryOk && inStep && DisconnectNoQuit == 0) session_.Quit(line);
  Disconnect();
  const Clock::time_point end = Clock::now();

  LogWrite("%s : 接続時間(%2.2f秒)\n", ConnectionName.c_str(),
           MillisecondsBetween(start, end) / 1000.0);
  LastCheckTime = std::time(nullptr);

  if (query < 0) {
    // A failed listing keeps the last good one, so the next check reports
    // as new only what is new against it.
    Take({CheckStep::Query, query});
    EndEmergency();
    if (useUidl) UidlMemory = std::move(previous);
    return CheckQueryFailed;
  }
  FinishSuccessfulCheck(useUidl, previous);
  return CheckOk;
}

bool Pop3Checker::FetchNewHeaders(char* line, bool usedUidl, const UidlList& previous) {
  const std::vector<std::string> numbers =
      usedUidl ? NewMessagesByUidl(UidlMemory, previous) : NewMessagesByStat(MessageCount, NewCount);
  if (numbers.empty()) return true;
  bool inStep = true;
  // A server known to take pipelined commands gets all of them at once.
  if (pipelining_ && numbers.size() > 1) {
    inStep = FetchPipelined(line, numbers, 0);
    if (inStep && FetchedHeaders.empty() && topRefused_) {
      LogTopRefusal();
      return true;
    }
    LogWrite("%s : 新着ﾍｯﾀﾞ %u件\n", ConnectionName.c_str(), static_cast<unsigned>(FetchedHeaders.size()));
    return inStep;
  }
  std::string block;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const int rc = session_.TopHeader(line, numbers[i], &block, kHeaderKeepBytes, kHeaderReadPastBytes);
    if (rc == LineNegativeReply && i == 0) {
      LogTopRefusal();
      return true;
    }
    if (rc == LineNegativeReply) continue;  // gone meanwhile
    if (rc != 0) {
      inStep = false;
      break;
    }
    FetchedHeaders.push_back(DecodeMailHeader(block));
    if (i == 0 && numbers.size() > 1) {
      // The rest go at once where the server takes pipelined commands:
      // one round trip instead of one each. Asked once while the program
      // runs.
      if (!capabilitiesAsked_) {
        capabilitiesAsked_ = true;
        if (session_.Capabilities(line, &pipelining_) != 0) {
          inStep = false;
          break;
        }
      }
      if (pipelining_) {
        inStep = FetchPipelined(line, numbers, 1);
        break;
      }
    }
  }
  LogWrite("%s : 新着ﾍｯﾀﾞ %u件\n", ConnectionName.c_str(), static_cast<unsigned>(FetchedHeaders.size()));
  return inStep;
}

void Pop3Checker::LogTopRefusal() {
  // A server without TOP: the count is all this account gets.
  if (!topRefusalLogged_)
    LogWrite("%s : ｻｰﾊﾞがTOPｺﾏﾝﾄﾞを受け付けないため, 新着ﾍｯﾀﾞは取得しません.\n", ConnectionName.c_str());
  topRefusalLogged_ = true;
}

bool Pop3Checker::FetchPipelined(char* line, const std::vector<std::string>& numbers, std::size_t from) {
  topRefused_ = false;
  if (session_.SendTops(numbers, from) != 0) return false;
  std::string block;
  // Every answer is read, refusals too, so that the connection stays in
  // step for QUIT.
  for (std::size_t i = from; i < numbers.size(); ++i) {
    const int rc = session_.TopAnswer(line, &block, kHeaderKeepBytes, kHeaderReadPastBytes);
    if (rc == LineNegativeReply) {  // gone meanwhile, or no TOP at all
      if (i == 0) topRefused_ = true;
      continue;
    }
    if (rc != 0) return false;
    FetchedHeaders.push_back(DecodeMailHeader(block));
  }
  return true;
}

int Pop3Checker::SimulatedCheck() {
  CheckState = Ready;
  const Clock::time_point start = Clock::now();
  SimulationSleep(500 + SimulationRandom() % 2000);
  const Clock::time_point end = Clock::now();
  LogWrite("%s : ｼﾐｭﾚｰﾄ接続時間(%2.2f秒)\n", ConnectionName.c_str(),
           MillisecondsBetween(start, end) / 1000.0);

  int drawn = SimulationRandom() % 5;
  if (drawn == 0) {
    MessageCount = 0;
    NewCount = 0;
  } else {
    drawn = SimulationRandom() % 4 + 1;
  }

  // An IMAP account knows which messages are new as a UIDL account does,
  // and its status line reads as one's: it is simulated the same way.
  const bool useUidl = UseUIDL != 0 || UsesImap();
  UidlList previous;
  if (useUidl) {
    previous = std::move(UidlMemory);
    UidlMemory.clear();
    const long long now = static_cast<long long>(std::time(nullptr));
    for (int i = 0; i < drawn; ++i) {
      char text[48];
      std::snprintf(text, sizeof text, "%lld_%d", now, i);
      if (UidlMemory.Append(text, text) != UidlList::Added) LogWrite("メモリ不足発生.\n");
    }
  } else {
    // The counts stay within an int, as a server's counts do.
    const std::int32_t oldNew = NewCount;
    MessageCount = static_cast<std::uint32_t>(
        std::min<long long>(static_cast<long long>(MessageCount) + oldNew, INT_MAX));
    NewCount = static_cast<std::int32_t>(std::min<long long>(static_cast<long long>(oldNew) + drawn, INT_MAX));
  }
  LastCheckTime = std::time(nullptr);
  FinishSuccessfulCheck(useUidl, previous);
  return CheckOk;
}

void Pop3Checker::FinishSuccessfulCheck(bool usedUidl, UidlList& previous) {
  CheckState = Ready;
  if (usedUidl) {
    MessageCount = static_cast<std::uint32_t>(UidlMemory.size());
    NewCount = CountNewUids(UidlMemory, previous);
    previous.clear();
  }
  if (Emergency && (MessageCount > 0 || EmergencyRunOut(std::time(nullptr), EmergencyStart)))
    EndEmergency();
}

void Pop3Checker::ResetCounts() {
  MessageCount = 0;
  NewCount = 0;
  LastCheckTime = 0;
  UidlMemory.clear();
  ImapMemory.clear();
  CheckState = Ready;
}

bool Pop3Checker::Take(StepResult result) {
  CheckOutcome outcome = StepOutcome(result.step, result.code, ContinueTimeout != 0,
                                     ContinueConnectER != 0);
  if (network && !result.ok()) {
    NetworkCircumstance circumstance = network->Now();
    // A server on this machine is reached without any network.
    if (circumstance == NetworkCircumstance::Down && result.step == CheckStep::Connect &&
        ResolvedAddress[0] == 127)
      circumstance = NetworkCircumstance::Usual;
    outcome = NetworkAdjusted(outcome, result.step, result.code, circumstance);
  }
  if (outcome.state != kUnchanged) CheckState = outcome.state;
  if (outcome.cause != kUnchanged) ErrorCause = outcome.cause;
  return result.ok();
}

int Pop3Checker::Resolve() {
  if (SimulationMode()) {
    SimulationSleep(500);
    Take({CheckStep::ServiceLookup, LookupFound});
    return ResolveOk;
  }
  const StepResult result =
      ResolveServer(*this, lookup, WaitLimitMs(TOofDNS_Sec), ResolvedAddress, ResolvedPort);
  if (Take(result)) return ResolveOk;
  if (result.step == CheckStep::DottedAddress) return result.code;
  return CheckState == RetryWait ? ResolveTimeoutRetry : ResolveFailed;
}

int Pop3Checker::Connect(char* line) {
  line[0] = '\0';
  Challenge.clear();
  net::SocketHandle s;
  const StepResult opened =
      OpenConnection(ResolvedAddress, ResolvedPort, WaitLimitMs(TOofConnect_Sec), ConnectionName.c_str(), &s);
  if (!Take(opened))
    return opened.step == CheckStep::Socket || opened.code == ConnectNoWorker ? ConnectSocketFailed
                                                                              : ConnectFailed;
  if (!Take(session_.Start(s))) return ConnectTlsFailed;
  const StepResult greeting = session_.Greeting(line, Challenge);
  if (!Take(greeting)) return greeting.code == GreetingRefused ? ConnectRefusedByServer : ConnectGreetingFailed;
  if (UseTLS == 2 && !Take(session_.Stls(line))) return ConnectTlsFailed;
  return ConnectOk;
}

int Pop3Checker::LoginUserPass(char* line) {
  const StepResult result = session_.LoginUserPass(line);
  if (Take(result)) return LoginOk;
  return result.step == CheckStep::Pass ? LoginPassFailed : LoginUserFailed;
}

int Pop3Checker::LoginApop(char* line) {
  return Take(session_.LoginApop(line, Challenge)) ? LoginOk : LoginUserFailed;
}

int Pop3Checker::LoginXoauth2(char* line, const std::string& accessToken) {
  const StepResult result = session_.LoginXoauth2(line, accessToken);
  if (Take(result)) return LoginOk;
  // A token the server refused is not offered again: the next check asks
  // the token endpoint for a new one.
  accessToken_.Clear();
  return LoginUserFailed;
}

int Pop3Checker::QueryStat(char* line) {
  std::uint32_t count = 0;
  const StepResult result = session_.Stat(line, &count);
  if (!Take(result)) return result.code == StatUnparsable ? QueryUnparsable : QueryCommandFailed;
  NewCount = static_cast<std::int32_t>(count > MessageCount ? count - MessageCount : count);
  MessageCount = count;
  return QueryOk;
}

int Pop3Checker::QueryUidl(char* line) {
  const StepResult result = session_.Uidl(line, UidlMemory);
  if (Take(result)) return QueryOk;
  return result.step == CheckStep::UidlCommand ? QueryCommandFailed : QueryListingFailed;
}

int Pop3Checker::SendCommand(const char* command, char* line) { return session_.SendCommand(command, line); }

int Pop3Checker::ReceiveLine(char* line) { return session_.ReceiveLine(line); }

void Pop3Checker::Disconnect() {
  session_.Close(true);
  imap_.Close(true);
}

void Pop3Checker::TakeChallenge(char* greeting) { bw::TakeChallenge(greeting, Challenge); }

void Pop3Checker::AttachStream(std::unique_ptr<net::ByteStream> stream) { session_.Attach(std::move(stream)); }

AccountLive Pop3Checker::Live() const {
  return {Emergency != 0, MessageCount, NewCount, LastCheckTime, Idling() ? 1 : WaitsToReconnect() ? 2 : 0};
}

void Pop3Checker::StatusText(std::string& text) { AccountStatusText(*this, Live(), text); }

void Pop3Checker::AttributeText(AttributeRequest& request) { AccountAttributeText(*this, Live(), request); }

}  // namespace bw
