// One complete check of an account, simulated checks, and the account's
// status and attribute texts.
#include "checker/core/pop3_checker.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "checker/core/simulation.h"
#include "common/core/log.h"

namespace bw {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsBetween(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count();
}

// The current local time in the 24-character asctime form and a line feed,
// built by hand so that no locale can change it.
std::string AscTimeNow() {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t now = std::time(nullptr);
  const std::tm* t = std::localtime(&now);
  if (!t) return "??? ??? ?? ??:??:?? ????\n";
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[t->tm_wday % 7],
                kMonths[t->tm_mon % 12], t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec,
                1900 + t->tm_year);
  return text;
}

// "hh:mm" of a time in local time.
std::string HourMinute(std::time_t when) {
  const std::tm* t = std::localtime(&when);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", t ? t->tm_hour : 0, t ? t->tm_min : 0);
  return text;
}

}  // namespace

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

int Pop3Checker::Check() {
  if (CheckState != Ready && CheckState != RetryWait) {
    EndEmergency();
    return CheckNotCheckable;
  }
  LogWrite("--- [%s] --- %s", ConnectionName.c_str(), AscTimeNow().c_str());
  if (SimulationMode()) return SimulatedCheck();

  int granted = 0;
  if (net::Startup(&granted) != 0) {
    CheckState = Suspended;
    ErrorCause = CauseSocket;
    LogWrite("WinSock Error.  WSAStartup Failed.\n");
    return CheckStartupFailed;
  }
  if (granted != 0x0101) {
    CheckState = Suspended;
    ErrorCause = CauseSocket;
    LogWrite("WinsockのDLLﾊﾞｰｼﾞｮﾝが古過ぎます.　Winsock1.1以上が必要です.\n");
    net::Cleanup();
    return CheckWrongVersion;
  }
  if (ResolvedPort == 0 && Resolve() != 0) {
    net::Cleanup();
    return CheckResolveFailed;
  }

  char line[kPop3LineBufferSize];
  const Clock::time_point start = Clock::now();
  if (Connect(line) < 0) {
    net::Cleanup();
    EndEmergency();
    return CheckConnectFailed;
  }
  const bool apop = UseAPOP == 1 || (UseAPOP == 0 && !Challenge.empty());
  if ((apop ? LoginApop(line) : LoginUserPass(line)) < 0) {
    Disconnect();
    net::Cleanup();
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
  if (query == 0 && DisconnectNoQuit == 0) SendCommand("QUIT", line);
  Disconnect();
  const Clock::time_point end = Clock::now();
  net::Cleanup();

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
      try {
        UidlMemory.push_back(UidlEntry{text, text});
      } catch (const std::bad_alloc&) {
        LogWrite("メモリ不足発生.\n");
      }
    }
  } else {
    const std::int32_t oldNew = NewCount;
    MessageCount += static_cast<std::uint32_t>(oldNew);
    NewCount = oldNew + drawn;
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
  if (Emergency) {
    const long long elapsed =
        std::llabs(static_cast<long long>(std::time(nullptr)) - static_cast<long long>(EmergencyStart));
    if (MessageCount > 0 || elapsed > 900) EndEmergency();
  }
}

std::int32_t CountNewUids(const UidlList& current, const UidlList& previous) {
  // A set of the previous UIDs keeps large mailboxes linear.
  std::unordered_set<std::string_view> seen;
  seen.reserve(previous.size());
  for (const UidlEntry& e : previous) seen.insert(e.uid);
  std::int32_t fresh = 0;
  for (const UidlEntry& e : current)
    if (seen.find(e.uid) == seen.end()) ++fresh;
  return fresh;
}

void Pop3Checker::ResetCounts() {
  MessageCount = 0;
  NewCount = 0;
  LastCheckTime = 0;
  UidlMemory.clear();
  CheckState = Ready;
}

const char* CheckStateWord(int state) {
  switch (state) {
    case Pop3Checker::Unprocessed: return "未処理";
    case Pop3Checker::Ready: return "";
    case Pop3Checker::Communicating: return "通信処理中";
    case Pop3Checker::Suspended: return "休止中";
    case Pop3Checker::RetryWait: return "ﾘﾄﾗｲ待ち";
    case Pop3Checker::ServerRefused: return "ｻｰﾊﾞ拒絶";
    default: return "???";
  }
}

const char* ErrorCauseText(int state, int cause) {
  const bool retry = state == Pop3Checker::RetryWait;
  const bool refused = state == Pop3Checker::ServerRefused;
  switch (cause) {
    case Pop3Checker::CauseDns: return retry ? "(DNSﾀｲﾑｱｳﾄ)" : "(DNSｴﾗｰ)";
    case Pop3Checker::CauseSocket: return "(Socketｴﾗｰ)";
    case Pop3Checker::CauseConnection: return refused ? "(接続拒否応答)" : "(接続ｴﾗｰ)";
    case Pop3Checker::CauseAccount: return retry ? "(ｱｶｳﾝﾄ認証ﾀｲﾑｱｳﾄ)" : "(ｱｶｳﾝﾄｴﾗｰ)";
    case Pop3Checker::CauseTransfer: return retry ? "(通信ﾀｲﾑｱｳﾄ)" : "(通信ｴﾗｰ)";
    default: return "(ｴﾗｰ)";
  }
}

void Pop3Checker::StatusText(std::string& text) {
  text = Emergency ? "(緊急)" + ConnectionName : ConnectionName;
  if (UseTLS != 0) text += "[TLS]";
  text += ':';
  switch (CheckState) {
    case Unprocessed:
      text += "未処理";
      break;
    case Ready: {
      if (LastCheckTime == 0) {
        text += "未処理";
        break;
      }
      char piece[64];
      if (UseUIDL)
        std::snprintf(piece, sizeof piece, "%s 未読数=%u(%d)", HourMinute(LastCheckTime).c_str(),
                      MessageCount, NewCount);
      else
        std::snprintf(piece, sizeof piece, "%s 未読数=%u", HourMinute(LastCheckTime).c_str(),
                      MessageCount);
      text += piece;
      std::snprintf(piece, sizeof piece, " [%d分周期]", CycleMinutes);
      text += piece;
      break;
    }
    case Communicating:
      text += "通信処理中";
      break;
    case Suspended:
    case RetryWait:
    case ServerRefused:
      text += CheckStateWord(CheckState);
      text += ' ';
      text += ErrorCauseText(CheckState, ErrorCause);
      break;
    default:
      text += "???";
      break;
  }
}

void Pop3Checker::AttributeText(AttributeRequest& request) {
  request.result.clear();
  char text[32];
  const std::string& code = request.code;
  if (code == "ST") {
    StatusText(request.result);
    return;
  }
  if (code == "NR")
    std::snprintf(text, sizeof text, "%u", MessageCount);
  else if (code == "NM")
    std::snprintf(text, sizeof text, "%d", NewCount);
  else if (code == "CT")
    std::snprintf(text, sizeof text, "%d", CycleMinutes);
  else if (code == "AT")
    std::snprintf(text, sizeof text, "%s", LastCheckTime ? HourMinute(LastCheckTime).c_str() : "--:--");
  else
    std::snprintf(text, sizeof text, "Undef");
  request.result = text;
}

}  // namespace bw
