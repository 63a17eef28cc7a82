// The check cycle: which timer exists for what, the staggered first checks,
// one account's check when its timer fires, the sweep that holds back the
// auto-exec applications, check now, emergency mode, the reset of errors and
// the two ways the checker is ended from outside the cycle. It is portable:
// the window's timers, the screen-saver probe, the face and everything else
// the window does are asked of a host interface, so the whole schedule can be
// driven by a fake timer service.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "checker/core/check_outcome.h"
#include "checker/core/check_state.h"
#include "common/core/controller_record.h"
#include "platform/platform_family.h"

namespace bw {

// Timer ids of the cycle; all its timers are one-shot. Ids above the
// network poll's are the window's own (its bury animation) and never reach
// the cycle.
enum : unsigned {
  kAccountTimerLimit = 256,    // ids 0..255: the account at that position
  kSweepTimerId = 256,         // end of the staggered first checks
  kNetworkWaitTimerId = 257,   // the longest wait for the network after a wake-up
  kWakeWindowTimerId = 258,    // end of the minute after a wake-up
  kNetworkPollTimerId = 259,   // next look at the address list while the network is away
};

// After a wake-up: the longest wait for a network address, how long failed
// look-ups and connects are taken as the network coming back, how soon
// such a failure is tried again, and how often the address list is looked
// at while the network is away (the address-change notice may never come).
constexpr unsigned kNetworkWaitLimitMs = 60000;
constexpr unsigned kWakeWindowMs = 60000;
constexpr unsigned kWakeRetryMs = 5000;
constexpr unsigned kNetworkPollMs = 2000;

// Emergency-mode accounts are checked this often.
constexpr unsigned kEmergencyPeriodMs = 30000;

// The application-wide values the cycle keeps. CheckerApplication owns
// them; the display values read them.
struct CycleState {
  int totalUnread = 0;
  std::time_t lastCheckTime = 0;
  int anyEmergency = 0;
  // Set from start-up and by check now until the sweep timer fires; while
  // set, unread mail does not start the auto-exec sequence.
  int sweepPending = 1;
  // Set when WM_CLOSE ended the checker: the parameter file is then not
  // rewritten (the configurator saves it before it closes us).
  int closedByMessage = 0;
};

// The accounts as the cycle sees them, by 0-based list position. The
// checker implements it over its Pop3Checker ring (cycle_accounts.h).
class CycleAccounts {
 public:
  virtual ~CycleAccounts() = default;
  virtual int Count() const = 0;
  virtual int State(int index) const = 0;
  virtual void SetState(int index, int state) = 0;
  // One complete check of the mailbox; 0 or a negative Check result.
  virtual int Check(int index) = 0;
  // Counts and last check time to 0, state Ready.
  virtual void ResetCounts(int index) = 0;
  virtual std::uint32_t MessageCount(int index) const = 0;
  virtual std::time_t LastCheckTime(int index) const = 0;
  virtual bool InEmergency(int index) const = 0;
  // Emergency flag 1 with the given start time.
  virtual void StartEmergency(int index, std::time_t start) = 0;
  // Emergency flag and start time 0.
  virtual void EndEmergency(int index) = 0;
  virtual int CycleMinutes(int index) const = 0;
  virtual std::string ConnectionName(int index) const = 0;
  // The error cause, and putting one back (with SetState: a check the
  // machine's sleep cut short leaves nothing behind).
  virtual int ErrorCause(int index) const {
    (void)index;
    return 0;
  }
  virtual void SetErrorCause(int index, int cause) { (void)index, (void)cause; }
  // Push (IMAP IDLE). The account's next timer under push, -1 when it is
  // polled (see Pop3Checker::PushTimerMs).
  virtual long long PushTimerMs(int index) const {
    (void)index;
    return -1;
  }
  // Its kept connection has something to read: a Pop3Checker::PushEvent.
  virtual int PushReadable(int index) {
    (void)index;
    return 0;
  }
  // Its kept connection is closed (sleep).
  virtual void EndPush(int index) { (void)index; }
  // Its server's address is looked up again at its next check: after a
  // wake-up or a network loss the machine may be on another network.
  virtual void ForgetAddress(int index) { (void)index; }
};

// What the cycle asks of the checker's window and the platform. Every call
// is made on the thread that owns the window.
class CycleHost {
 public:
  virtual ~CycleHost() = default;
  // Timer `id` fires after `milliseconds`, replacing any period it had; it
  // fires again every period until it is killed.
  virtual void ArmTimer(unsigned id, unsigned milliseconds) = 0;
  virtual void KillTimer(unsigned id) = 0;
  // Drops every timer expiry that is queued but not yet delivered and
  // returns how many were dropped.
  virtual int RemoveQueuedTimerMessages() = 0;
  // The shared platform family query (kFamily...).
  virtual int PlatformFamily() = 0;
  // NT family: the screen saver's own desktop can be opened (and was
  // closed again), so the screen saver runs.
  virtual bool ScreenSaverDesktopOpens() = 0;
  // Other platforms: a screen-saver window exists.
  virtual bool ScreenSaverWindowExists() = 0;
  // The button shows pressed (during a check) or released.
  virtual void SetButtonPressed(bool pressed) = 0;
  // The face becomes `text` (an account's connecting face).
  virtual void ShowConnectingFace(const std::string& text) = 0;
  // The face becomes the display value "CP".
  virtual void ShowFaceText() = 0;
  // The window comes back out of the desktop: whole again and above the
  // other windows. Burying it is the window's own business.
  virtual void Restore() = 0;
  virtual void RunAutoExecSequence() = 0;
  virtual void TerminateAutoExecApplications() = 0;
  // A question to the user with the answers Yes and No, No the default;
  // true when answered Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // The window rectangle as left, top, width and height; false when it
  // cannot be read.
  virtual bool WindowRectangle(int& left, int& top, int& width, int& height) = 0;
  // Ends the checker's run with `exitCode` once the current event is done.
  virtual void PostQuit(int exitCode) = 0;
  // The window goes away for good.
  virtual void DestroyWindow() = 0;
  // Current time in seconds since 1970.
  virtual std::time_t Now() = 0;
  // The machine has a usable network address.
  virtual bool NetworkUp() { return true; }
  // The accounts' kept connections may have changed: the window watches the
  // sockets of those that idle now.
  virtual void WatchPushSockets() {}
};

// The connecting face of an account: its name and "\r\n接続中".
std::string ConnectingFaceText(const std::string& connectionName);

// A timer period in milliseconds as SetTimer takes it: negative or larger
// values than the system accepts become the longest period it accepts.
unsigned TimerPeriod(std::int64_t milliseconds);

class CheckCycle {
 public:
  // Settings are read at each use, so the menu toggles act at once.
  // `network`, when given, is the one the accounts ask; the cycle opens and
  // closes its wake-up window.
  CheckCycle(AncestryPop3Controller& settings, CycleAccounts& accounts, CycleHost& host,
             CycleState& state, NetworkConditions* network = nullptr);

  // Start-up arming: the first checks staggered from InitSleep_Sec by
  // Consecutive_Sec, and the sweep timer after the last of them.
  void ArmAtStartup();

  // A timer fired: kills it, then runs the account check or the sweep its
  // id stands for.
  void OnTimer(unsigned id);
  void AccountTimerFired(int index);
  void SweepTimerFired();

  // totalUnread, lastCheckTime and anyEmergency from the accounts.
  void Recount();

  // Menu commands.
  void CheckNow();
  // The positions chosen in the emergency dialog (empty ends emergency mode).
  void SetEmergencyMode(const std::vector<int>& positions);
  void ResetErrors();
  // Asks for confirmation; true when the quit message was posted. A false
  // answer means the window procedure returns at once.
  bool ExitCommand();

  // Another checker or the configurator asked the window to close.
  void OnClose();
  // A quit request delivered to the window itself instead of ending the
  // run: the run is ended properly.
  void OnQuitMessage();

  bool ScreenSaverRunning();

  // The machine goes to sleep: no check starts until it wakes, and a check
  // the sleep cut short (its end the event just before this one) is undone.
  void OnSuspend();
  // The machine woke up: once the network is back (or after the longest
  // wait) every account is checked as at start-up, and for a minute failed
  // look-ups and connects are retried within seconds. A second notice of
  // the same wake-up changes nothing.
  void OnResume();
  // The address list changed: the wait after a wake-up ends, or accounts
  // that found the network down are checked again, when it is usable.
  void OnNetworkChanged();
  // Windows ends the session: the checker ends as the exit command ends it,
  // without asking.
  void OnEndSession();
  // The kept connection of the account at `index` has something to read:
  // a change is shown at once as after a check (button, status, auto-exec);
  // a dropped connection is opened again after its back-off.
  void OnPushReadable(int index);
  bool Sleeping() const { return power_ != Power::Awake; }

  // Whether shutdown writes the window geometry back into the file.
  bool SaveGeometryAtExit() const;

 private:
  enum class Power { Awake, Asleep, WaitingForNetwork };

  bool Schedulable(int index) const;
  // Window rectangle into the settings, when the geometry is kept.
  void TakeGeometry();
  void SetWakeWindow(bool open);
  // Every schedulable account checked, staggered as at start-up, with the
  // wake-up window open.
  void CheckAfterWake();
  void NetworkBack();
  bool AnyAccountWaitsForNetwork() const;
  void PollNetworkTimerFired();
  // How many accounts have a timer: those at positions below kAccountTimerLimit.
  int TimedAccounts() const;
  // Kills the account timers and drops the queued timer messages.
  void StopAccountTimers();
  void ArmAccountTimer(int index, std::int64_t milliseconds);
  // Logs the wait and arms the account's timer one check cycle ahead.
  void ArmNextCheck(int index);
  // What the cycle does after an account's counts changed: the window
  // restored, the auto-exec sequence run or ended.
  void AfterCounts(int index);
  // Arms the timers of the schedulable accounts (ids below
  // kAccountTimerLimit) one Consecutive_Sec apart from `first`; `later`, if
  // given, runs for each account before its timer is armed and says how
  // much after its turn the check comes. Returns the turn after the last.
  std::int64_t ArmStaggered(std::int64_t first, const std::function<std::int64_t(int)>& later);

  AncestryPop3Controller& settings_;
  CycleAccounts& accounts_;
  CycleHost& host_;
  CycleState& state_;
  NetworkConditions ownNetwork_;
  NetworkConditions& network_;
  Power power_ = Power::Awake;
  // The last check until another event of the cycle: what it changed, to
  // undo when the machine's sleep turns out to have cut it short.
  struct LastCheck {
    int index = -1;
    int state = 0;
    int cause = 0;
    std::time_t end = 0;
  } lastCheck_;
};

}  // namespace bw
