// The check cycle and its schedule; see check_cycle.h.
#include "checker/core/check_cycle.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "checker/core/time_text.h"
#include "common/core/log.h"

namespace bw {

namespace {

// SetTimer takes no longer period than this (USER_TIMER_MAXIMUM).
constexpr std::int64_t kLongestTimerMs = 0x7FFFFFFF;

std::int64_t Seconds(int seconds) { return static_cast<std::int64_t>(seconds) * 1000; }
std::int64_t Minutes(int minutes) { return static_cast<std::int64_t>(minutes) * 60000; }

}  // namespace

std::string ConnectingFaceText(const std::string& connectionName) {
  return connectionName + "\r\n接続中";
}

unsigned TimerPeriod(std::int64_t milliseconds) {
  // A negative period handed to SetTimer as its unsigned parameter would be
  // a huge one, which the system cuts to its longest.
  if (milliseconds < 0 || milliseconds > kLongestTimerMs) return kLongestTimerMs;
  return static_cast<unsigned>(milliseconds);
}

CheckCycle::CheckCycle(AncestryPop3Controller& settings, CycleAccounts& accounts,
                       CycleHost& host, CycleState& state, NetworkConditions* network)
    : settings_(settings),
      accounts_(accounts),
      host_(host),
      state_(state),
      network_(network ? *network : ownNetwork_) {}

bool CheckCycle::Schedulable(int index) const {
  return CheckableState(accounts_.State(index));
}

int CheckCycle::TimedAccounts() const { return std::min<int>(accounts_.Count(), kAccountTimerLimit); }

void CheckCycle::ArmAccountTimer(int index, std::int64_t milliseconds) {
  host_.ArmTimer(static_cast<unsigned>(index), TimerPeriod(milliseconds));
}

void CheckCycle::ArmNextCheck(int index) {
  const int minutes = accounts_.CycleMinutes(index);
  LogWrite("待機ﾓｰﾄﾞへ遷移.  次回更新[%d分]後.\n", minutes);
  ArmAccountTimer(index, Minutes(minutes));
}

std::int64_t CheckCycle::ArmStaggered(std::int64_t first,
                                      const std::function<std::int64_t(int)>& later) {
  std::int64_t turn = first;
  const int n = TimedAccounts();
  for (int i = 0; i < n; ++i) {
    if (!Schedulable(i)) continue;
    ArmAccountTimer(i, turn + (later ? later(i) : 0));
    turn += Seconds(settings_.Consecutive_Sec);
  }
  return turn;
}

void CheckCycle::ArmAtStartup() {
  host_.ArmTimer(kSweepTimerId, TimerPeriod(ArmStaggered(Seconds(settings_.InitSleep_Sec), nullptr)));
}

void CheckCycle::OnTimer(unsigned id) {
  host_.KillTimer(id);
  lastCheck_.index = -1;
  if (id < kAccountTimerLimit) {
    AccountTimerFired(static_cast<int>(id));
  } else if (id == kSweepTimerId) {
    SweepTimerFired();
  } else if (id == kNetworkWaitTimerId) {
    if (power_ == Power::WaitingForNetwork) {
      LogWrite("ﾈｯﾄﾜｰｸ待ち時間切れ.  全接続先を確認.\n");
      CheckAfterWake();
    }
  } else if (id == kWakeWindowTimerId) {
    SetWakeWindow(false);
  } else if (id == kNetworkPollTimerId) {
    PollNetworkTimerFired();
  }
}

void CheckCycle::AccountTimerFired(int index) {
  if (index < 0 || index >= accounts_.Count() || !Schedulable(index) || power_ != Power::Awake) {
    host_.ShowFaceText();
    return;
  }
  const std::string name = accounts_.ConnectionName(index);

  if (settings_.StopDuringSSaving && !accounts_.InEmergency(index) && ScreenSaverRunning()) {
    LogWrite("--- [%s] --- ｽｸﾘｰﾝｾｰﾊﾞ稼働中 更新ｽｷｯﾌﾟ %s", name.c_str(),
             AsctimeText(host_.Now()).c_str());
    ArmNextCheck(index);
    return;
  }

  host_.SetButtonPressed(true);
  host_.ShowConnectingFace(ConnectingFaceText(name));
  LastCheck before{index, accounts_.State(index), accounts_.ErrorCause(index), 0};
  int result = accounts_.Check(index);
  before.end = host_.Now();
  Recount();
  host_.ShowFaceText();

  if (result != 0) {
    LogWrite("エラー:Code=%d\n", result);
  } else {
    AfterCounts(index);
  }

  const int cause = accounts_.ErrorCause(index);
  const bool retrying = result != 0 && accounts_.State(index) == AccountCodes::RetryWait;
  if (Schedulable(index)) {
    if (retrying && network_.wakeWindow &&
        (cause == AccountCodes::CauseDns || cause == AccountCodes::CauseConnection)) {
      // Right after a wake-up the network comes back in stages: try again soon.
      LogWrite("待機ﾓｰﾄﾞへ遷移(ｽﾘｰﾌﾟ復帰直後).  次回更新[%u秒]後.\n", kWakeRetryMs / 1000);
      ArmAccountTimer(index, kWakeRetryMs);
    } else if (accounts_.InEmergency(index)) {
      LogWrite("待機ﾓｰﾄﾞへ遷移(緊急ﾓｰﾄﾞ).   次回更新[30秒]後.\n");
      ArmAccountTimer(index, kEmergencyPeriodMs);
    } else if (accounts_.PushTimerMs(index) >= 0) {
      const long long ms = accounts_.PushTimerMs(index);
      LogWrite("待機ﾓｰﾄﾞへ遷移(IDLE).  次回確認[%lld秒]後.\n", ms / 1000);
      ArmAccountTimer(index, ms);
    } else {
      ArmNextCheck(index);
    }
    if (retrying && cause == AccountCodes::CauseNetworkDown)
      host_.ArmTimer(kNetworkPollTimerId, kNetworkPollMs);
  }
  host_.SetButtonPressed(false);
  host_.WatchPushSockets();
  lastCheck_ = before;
}

void CheckCycle::AfterCounts(int index) {
  if (accounts_.MessageCount(index) > 0) {
    LogWrite("未読発見 : ");
    if (settings_.AutoWakeup) {
      LogWrite("ボタン自動復帰.  ");
      host_.Restore();
    }
    if (state_.sweepPending) {
      LogWrite("連続起動 自動実行ｱﾌﾟﾘ実行保留.\n");
    } else {
      host_.RunAutoExecSequence();
    }
  } else {
    LogWrite("未読なし.");
    if (settings_.AutoKillMethod & kKillWhenNoMail) host_.TerminateAutoExecApplications();
  }
}

void CheckCycle::OnPushReadable(int index) {
  if (index < 0 || index >= TimedAccounts() || power_ == Power::Asleep) return;
  const int event = accounts_.PushReadable(index);
  if (event == 0) return;
  lastCheck_.index = -1;
  Recount();
  host_.ShowFaceText();
  if (event == 1) {
    AfterCounts(index);
    // A check's "未読なし." line ends with the wait that follows it.
    if (accounts_.MessageCount(index) == 0) LogWrite("\n");
  } else {
    // The next check opens the connection again.
    ArmAccountTimer(index, accounts_.PushTimerMs(index));
  }
  host_.WatchPushSockets();
}

void CheckCycle::SweepTimerFired() {
  state_.sweepPending = 0;
  if (state_.totalUnread > 0) {
    LogWrite("自動実行ｱﾌﾟﾘ　実行保留解除\n");
    host_.RunAutoExecSequence();
  }
}

void CheckCycle::Recount() {
  std::uint64_t latest = 0;
  std::uint64_t unread = 0;
  int emergency = 0;
  for (int i = 0; i < accounts_.Count(); ++i) {
    latest = std::max(latest, static_cast<std::uint64_t>(accounts_.LastCheckTime(i)));
    if (accounts_.State(i) != AccountCodes::Ready) continue;
    unread += accounts_.MessageCount(i);
    if (accounts_.InEmergency(i)) emergency = 1;
  }
  state_.lastCheckTime = static_cast<std::time_t>(latest);
  // Counts come from the server; a total beyond int shows as the largest.
  state_.totalUnread = static_cast<int>(std::min<std::uint64_t>(unread, INT_MAX));
  state_.anyEmergency = emergency;
}

void CheckCycle::StopAccountTimers() {
  const int n = TimedAccounts();
  for (int i = 0; i < n; ++i) host_.KillTimer(static_cast<unsigned>(i));
  for (int removed = host_.RemoveQueuedTimerMessages(); removed > 0; --removed)
    LogWrite("Remove WM_TIMER Event.\n");
}

void CheckCycle::CheckNow() {
  LogWrite("今すぐ更新開始.\n");
  lastCheck_.index = -1;
  // The user does not wait for the network: the checks start now.
  if (power_ == Power::WaitingForNetwork) {
    power_ = Power::Awake;
    host_.KillTimer(kNetworkWaitTimerId);
    SetWakeWindow(true);
  }
  state_.sweepPending = 1;
  StopAccountTimers();
  // A server that refused us is asked again: its account is scheduled too.
  const int n = TimedAccounts();
  for (int i = 0; i < n; ++i)
    if (accounts_.State(i) == AccountCodes::ServerRefused) accounts_.SetState(i, AccountCodes::RetryWait);
  host_.ArmTimer(kSweepTimerId, TimerPeriod(ArmStaggered(0, nullptr)));
}

void CheckCycle::SetEmergencyMode(const std::vector<int>& positions) {
  StopAccountTimers();
  int any = 0;
  // A chosen account is checked at its turn, every other one a cycle later.
  ArmStaggered(0, [&](int i) -> std::int64_t {
    if (std::find(positions.begin(), positions.end(), i) != positions.end()) {
      accounts_.StartEmergency(i, host_.Now());
      any = 1;
      return 0;
    }
    accounts_.EndEmergency(i);
    return Minutes(accounts_.CycleMinutes(i));
  });
  state_.anyEmergency = any;
  host_.ShowFaceText();
}

void CheckCycle::ResetErrors() {
  state_.totalUnread = 0;
  state_.lastCheckTime = 0;
  state_.anyEmergency = 0;
  for (int i = 0; i < accounts_.Count(); ++i) accounts_.ResetCounts(i);
  host_.ShowFaceText();
}

void CheckCycle::TakeGeometry() {
  if (!settings_.KeepGeometry) return;
  int left = 0, top = 0, width = 0, height = 0;
  if (host_.WindowRectangle(left, top, width, height)) {
    settings_.windowX = left;
    settings_.windowY = top;
    settings_.windowWidthSetting = width;
    settings_.windowHeightSetting = height;
  }
}

bool CheckCycle::ExitCommand() {
  if (!host_.AskYesNo("Bellwickを終了しますか?", "Bellwick")) return false;
  TakeGeometry();
  host_.PostQuit(0);
  return true;
}

void CheckCycle::OnEndSession() {
  LogWrite("ｾｯｼｮﾝ終了検出.\n");
  TakeGeometry();
  host_.PostQuit(0);
}

void CheckCycle::SetWakeWindow(bool open) {
  network_.wakeWindow = open;
  if (open) {
    host_.ArmTimer(kWakeWindowTimerId, kWakeWindowMs);
  } else {
    host_.KillTimer(kWakeWindowTimerId);
  }
}

void CheckCycle::OnSuspend() {
  if (power_ == Power::Asleep) return;
  LogWrite("ｽﾘｰﾌﾟ検出.  確認を停止.\n");
  // A check in flight when the machine slept ends only after the wake-up,
  // and the notice of the sleep is the first thing handled after it: what
  // it found says nothing about the account.
  if (lastCheck_.index >= 0 && lastCheck_.index < accounts_.Count() &&
      host_.Now() - lastCheck_.end <= 2) {
    accounts_.SetState(lastCheck_.index, lastCheck_.state);
    accounts_.SetErrorCause(lastCheck_.index, lastCheck_.cause);
    Recount();
  }
  lastCheck_.index = -1;
  power_ = Power::Asleep;
  // Kept connections do not survive the sleep; the checks after the
  // wake-up open them again.
  for (int i = 0; i < TimedAccounts(); ++i) accounts_.EndPush(i);
  host_.WatchPushSockets();
  StopAccountTimers();
  for (unsigned id : {unsigned{kSweepTimerId}, unsigned{kNetworkWaitTimerId}, unsigned{kNetworkPollTimerId}})
    host_.KillTimer(id);
  SetWakeWindow(false);
  host_.SetButtonPressed(false);
  host_.ShowFaceText();
}

void CheckCycle::OnResume() {
  // Windows may send two notices for one wake-up; and a wake-up without a
  // sleep notice (a critical sleep) is a wake-up all the same.
  if (power_ == Power::WaitingForNetwork || (power_ == Power::Awake && network_.wakeWindow)) return;
  lastCheck_.index = -1;
  if (power_ == Power::Awake) {
    StopAccountTimers();
    host_.KillTimer(kSweepTimerId);
  }
  if (host_.NetworkUp()) {
    LogWrite("ｽﾘｰﾌﾟ復帰.  全接続先を確認.\n");
    CheckAfterWake();
    return;
  }
  LogWrite("ｽﾘｰﾌﾟ復帰.  ﾈｯﾄﾜｰｸ待ち.\n");
  power_ = Power::WaitingForNetwork;
  host_.ArmTimer(kNetworkWaitTimerId, kNetworkWaitLimitMs);
  host_.ArmTimer(kNetworkPollTimerId, kNetworkPollMs);
}

void CheckCycle::CheckAfterWake() {
  power_ = Power::Awake;
  host_.KillTimer(kNetworkWaitTimerId);
  host_.KillTimer(kNetworkPollTimerId);
  // The minute counts from when the checks start: the address may come
  // back long before the route or the name service.
  SetWakeWindow(true);
  state_.sweepPending = 1;
  for (int i = 0; i < TimedAccounts(); ++i) accounts_.ForgetAddress(i);
  ArmAtStartup();
}

bool CheckCycle::AnyAccountWaitsForNetwork() const {
  for (int i = 0; i < TimedAccounts(); ++i)
    if (accounts_.State(i) == AccountCodes::RetryWait &&
        accounts_.ErrorCause(i) == AccountCodes::CauseNetworkDown)
      return true;
  return false;
}

void CheckCycle::NetworkBack() {
  host_.KillTimer(kNetworkPollTimerId);
  if (power_ == Power::WaitingForNetwork) {
    LogWrite("ﾈｯﾄﾜｰｸ復帰.  全接続先を確認.\n");
    CheckAfterWake();
    return;
  }
  LogWrite("ﾈｯﾄﾜｰｸ復帰.  ﾈｯﾄﾜｰｸ切断中の接続先を確認.\n");
  std::int64_t turn = 0;
  for (int i = 0; i < TimedAccounts(); ++i) {
    if (accounts_.State(i) != AccountCodes::RetryWait ||
        accounts_.ErrorCause(i) != AccountCodes::CauseNetworkDown)
      continue;
    accounts_.ForgetAddress(i);
    ArmAccountTimer(i, turn);
    turn += Seconds(settings_.Consecutive_Sec);
  }
}

void CheckCycle::OnNetworkChanged() {
  if (power_ == Power::Asleep) return;
  if (power_ != Power::WaitingForNetwork && !AnyAccountWaitsForNetwork()) return;
  if (host_.NetworkUp()) NetworkBack();
}

void CheckCycle::PollNetworkTimerFired() {
  if (power_ == Power::Asleep) return;
  if (power_ != Power::WaitingForNetwork && !AnyAccountWaitsForNetwork()) return;
  if (host_.NetworkUp()) {
    NetworkBack();
  } else {
    host_.ArmTimer(kNetworkPollTimerId, kNetworkPollMs);
  }
}

void CheckCycle::OnClose() {
  LogWrite("WM_CLOSE Detected.\n");
  state_.closedByMessage = 1;
  host_.DestroyWindow();
  // Without its window the checker has nothing left to do: end the message
  // loop so the process ends instead of lingering invisibly.
  host_.PostQuit(0);
}

void CheckCycle::OnQuitMessage() { host_.PostQuit(0); }

bool CheckCycle::ScreenSaverRunning() {
  if (host_.PlatformFamily() == kFamilyNt) return host_.ScreenSaverDesktopOpens();
  return host_.ScreenSaverWindowExists();
}

bool CheckCycle::SaveGeometryAtExit() const {
  return settings_.KeepGeometry && !state_.closedByMessage;
}

}  // namespace bw
