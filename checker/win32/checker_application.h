// The checker's application object: the controller record it was read into
// (the accounts, auto-exec and menu lists and the settings), composed with
// the parts that run it: the button window, the popup menu, the launcher
// and the auto-exec applications, the check cycle and the views the core
// asks through (its host and the display values). It answers the button
// window's events itself; their menu commands are in commands.cpp.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "checker/core/auto_exec.h"
#include "checker/core/check_cycle.h"
#include "checker/core/cycle_accounts.h"
#include "checker/core/display_values.h"
#include "checker/core/pop3_checker.h"
#include "checker/win32/address_watch.h"
#include "checker/win32/button_events.h"
#include "checker/win32/button_window.h"
#include "checker/win32/new_mail_view.h"
#include "checker/win32/popup_menu.h"
#include "common/core/controller_record.h"
#include "common/win32/launch_win32.h"

namespace bw {

class Dialog;

class CheckerApplication : public AncestryPop3Controller, private ButtonEvents {
 public:
  explicit CheckerApplication(HINSTANCE instance);
  ~CheckerApplication() override;

  // Every account block becomes a run-time account.
  AncestryPop3Checker* CreateAccount() override;

  // What start-up found out: the parameter file in use and whether the
  // configurator sits next to the program.
  void SetParameterPath(const std::string& path) { parameterPath_ = path; }
  void SetConfiguratorPresent(bool present) { configuratorPresent_ = present; }

  // WinSock check, address resolution, menu and window. 0, or -1 after the
  // failure has been logged or shown.
  int InitializeInstance();
  // Links the process and input-method libraries, then the face, start-up
  // burying, priorities, first timers and the message loop.
  int Run();
  // The end of the run (see EndRun), the libraries released, then the end
  // of the window.
  void Shutdown(int exitCode);

 private:
  // The core's view of the checker's state for the display values.
  class Display : public DisplaySource {
   public:
    explicit Display(const CheckerApplication& app) : app_(app) {}
    std::time_t LastCheckTime() const override { return app_.state_.lastCheckTime; }
    int TotalUnread() const override { return app_.state_.totalUnread; }
    bool AnyEmergency() const override { return app_.state_.anyEmergency != 0; }
    int AccountCount() const override { return app_.AccountCount(); }
    int AccountCheckState(int index) const override;
    std::string AccountAttributeText(int index, const std::string& code) const override;

   private:
    const CheckerApplication& app_;
  };

  // What the check cycle asks of the window and the platform.
  class Host : public CycleHost {
   public:
    explicit Host(CheckerApplication& app) : app_(app) {}
    void ArmTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    int RemoveQueuedTimerMessages() override;
    int PlatformFamily() override;
    bool ScreenSaverDesktopOpens() override;
    bool ScreenSaverWindowExists() override;
    void SetButtonPressed(bool pressed) override;
    void ShowConnectingFace(const std::string& text) override;
    void ShowFaceText() override;
    void Restore() override;
    void RunAutoExecSequence() override;
    void TerminateAutoExecApplications() override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool WindowRectangle(int& left, int& top, int& width, int& height) override;
    void PostQuit(int exitCode) override;
    void DestroyWindow() override;
    std::time_t Now() override;
    bool NetworkUp() override { return AddressWatch::UsableAddress(); }
    void WatchPushSockets() override { app_.WatchPushSockets(); }

   private:
    CheckerApplication& app_;
  };

  // The button window's events.
  bool OnCommand(WPARAM command) override;
  void OnTimer(unsigned id) override { cycle_->OnTimer(id); }
  void OnClose() override { cycle_->OnClose(); }
  void OnQuitMessage() override { cycle_->OnQuitMessage(); }
  void OnPowerBroadcast(WPARAM event) override;
  void OnEndSession() override;
  void OnAddressChange() override { cycle_->OnNetworkChanged(); }
  void OnPushReadable(WPARAM socket) override;
  // The window is told when an idling account's socket has something to
  // read; `watched_` holds each watched socket's account.
  void WatchPushSockets();
  std::vector<std::pair<net::SocketHandle, int>> watched_;
  std::string FaceText() const override;
  bool DialogOpen() const override { return dialogOpen_; }
  bool HasPopupMenu() const override { return menu_.Loaded(); }
  void ShowPopupMenu() override;
  bool OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // After each check of account `index`: its fetched headers go on top of
  // the list, the tooltip and an open list window follow, and with
  // NotifyNewMail a check that found new mail shows a balloon.
  void AfterCheck(int index);
  void OpenNewMailList() { listWindow_.Open(instance_, newMail_); }

  void ApplyPriorities();
  // Geometry write-back when asked for and the end line in the log; once,
  // whether the run ends by its message loop or with the session.
  void EndRun(int exitCode);
  Pop3Checker* AccountAt(int index) const;
  // Runs a dialog owned by the window; clicks on the window wait meanwhile.
  INT_PTR RunDialog(Dialog& dialog);
  void RunMenuApplication(int number);
  // The emergency dialog; OK sets the accounts chosen in it.
  void ChooseEmergencyAccounts();
  void StartConfigurator();

  HINSTANCE instance_;
  std::string parameterPath_;
  bool configuratorPresent_ = true;
  bool dialogOpen_ = false;
  bool ended_ = false;

  CycleState state_;
  std::vector<Pop3Checker*> accounts_;
  Display display_{*this};
  Host host_{*this};
  Win32Launcher launcher_;
  AutoExecApplications autoExec_{*this, launcher_};
  ButtonWindow window_{*this};
  PopupMenu menu_;
  std::unique_ptr<Pop3CycleAccounts> cycleAccounts_;
  // What every account asks about the network when a look-up or connect
  // fails; the cycle opens its wake-up window.
  std::shared_ptr<NetworkConditions> network_;
  AddressWatch addressWatch_;
  // Who wrote and about what, in memory only.
  NewMailList newMail_;
  NewMailWindow listWindow_;
  ButtonTooltip tooltip_;
  NotifyIcon notifyIcon_;
  std::unique_ptr<CheckCycle> cycle_;
};

}  // namespace bw
