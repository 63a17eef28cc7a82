// One complete check of an account: the socket library, resolution,
// connection, login and mailbox query under one time limit, the counts they
// leave, simulated checks and the end of emergency mode.
#include "checker/core/pop3_checker.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

Pop3Checker::Pop3Checker() : lookup(std::make_shared<NameLookup>()) {
  CheckState = Unprocessed;
  ErrorCause = CauseNone;
}

Pop3Checker::~Pop3Checker() { Disconnect(); }

void Pop3Checker::StartEmergency() {
  Emergency = 1;
  EmergencyStart = std::time(nullptr);
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
    CheckState = Suspended;
    ErrorCause = CauseSocket;
    return library.result() == SocketLibrary::WrongVersion ? CheckWrongVersion
                                                           : CheckStartupFailed;
  }
  // Every wait of the check stops at one deadline (WaitLimitMs), so that no server, by
  // trickling replies each within its own time-out, holds the checker for
  // longer than the ceiling.
  const int ceilingMs = CheckCeilingMs();
  checkDeadline_ = Clock::now() + std::chrono::milliseconds(ceilingMs);
  checkBounded_ = true;
  const int result = CheckOnline();
  checkBounded_ = false;
  if (result != CheckOk && Clock::now() >= checkDeadline_)
    LogWrite("%s : 確認全体の制限時間(%d秒)を超えたため打ち切りました.\n", ConnectionName.c_str(),
             ceilingMs / 1000);
  return result;
}

int Pop3Checker::CheckOnline() {
  if (ResolvedPort == 0 && Resolve() != ResolveOk) return CheckResolveFailed;

  char line[kPop3LineBufferSize];
  const Clock::time_point start = Clock::now();
  if (Connect(line) < 0) {
    EndEmergency();
    return CheckConnectFailed;
  }
  const bool apop = UseAPOP == 1 || (UseAPOP == 0 && !Challenge.empty());
  if ((apop ? LoginApop(line) : LoginUserPass(line)) < 0) {
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
  if (query == QueryOk && DisconnectNoQuit == 0) SendCommand("QUIT", line);
  Disconnect();
  const Clock::time_point end = Clock::now();

  LogWrite("%s : 接続時間(%2.2f秒)\n", ConnectionName.c_str(),
           MillisecondsBetween(start, end) / 1000.0);
  LastCheckTime = std::time(nullptr);

  if (query < 0) {
    // A failed listing keeps the last good one, so the next check reports
    // as new only what is new against it.
    CheckState = Suspended;
    EndEmergency();
    if (useUidl) UidlMemory = std::move(previous);
    return CheckQueryFailed;
  }
  FinishSuccessfulCheck(useUidl, previous);
  return CheckOk;
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

  const bool useUidl = UseUIDL != 0;
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
  CheckState = Ready;
}

}  // namespace bw
