// The checker's one application object: the controller record with the
// account, auto-exec and menu lists, the run-time state of the hollow-button
// window, and the platform side of the check cycle and the display values.
// Every window message finds it in the window's user data.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "checker/core/check_cycle.h"
#include "checker/core/cycle_accounts.h"
#include "checker/core/display_values.h"
#include "checker/core/pop3_checker.h"
#include "common/core/controller_record.h"

namespace bw {

// Process-wide values of the checker.
extern const char kCheckerClassName[];
extern const char kCheckerWindowName[];
extern int g_configuratorPresent;

class CheckerApplication : public AncestryPop3Controller,
                           public CycleState,
                           public CycleHost,
                           public DisplaySource {
 public:
  CheckerApplication() = default;
  ~CheckerApplication() override;

  // Every account block becomes a run-time account.
  AncestryPop3Checker* CreateAccount() override;

  void SetUp(HINSTANCE instance, const char* className, const char* windowName);
  // WinSock check, address resolution, menu and window. 0, or -1 after the
  // failure has been logged or shown.
  int InitializeInstance();
  int CreateMainWindow();
  // Face, start-up burying, priorities, first timers, message loop.
  int Run();
  // Geometry write-back when asked for, then the end of the window.
  void Shutdown();

  LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // The window's looks (hollow-button window).
  void ShowFace(Pop3Checker* connecting);
  void StartBurying();
  void BuildHollowFrame();
  void Restore();
  void BuryStep(unsigned id);

  // Popup menu and dialogs.
  void PreparePopupMenu(HMENU popup);
  // False when the exit command was answered No (the procedure then returns).
  bool MenuCommand(WPARAM command);
  void RunMenuApplication(int number);
  INT_PTR StatusDialog(HWND dialog, UINT message, WPARAM wParam);
  INT_PTR EmergencyDialog(HWND dialog, UINT message, WPARAM wParam);

  // CycleHost.
  void ArmTimer(unsigned id, unsigned milliseconds) override;
  void KillTimer(unsigned id) override;
  int RemoveQueuedTimerMessages() override;
  int PlatformFamily() override;
  bool ScreenSaverDesktopOpens() override;
  bool ScreenSaverWindowExists() override;
  void SetButtonPressed(bool pressed) override;
  void ShowConnectingFace(const std::string& text) override;
  void ShowFaceText() override;
  void RestoreWindow() override;
  void RunAutoExecSequence() override;
  void TerminateAutoExecApplications() override;
  void BuryAnimationStep(unsigned id) override;
  int AskUser(const std::string& text, const std::string& caption, unsigned style) override;
  bool WindowRectangle(int& left, int& top, int& width, int& height) override;
  void PostQuit(int exitCode) override;
  void DestroyWindow() override;
  std::time_t Now() override;

  // DisplaySource.
  std::time_t LastCheckTime() const override { return lastCheckTime; }
  int TotalUnread() const override { return totalUnread; }
  bool AnyEmergency() const override { return anyEmergency != 0; }
  int AccountCount() const override;
  int AccountCheckState(int index) const override;
  std::string AccountAttributeText(int index, const std::string& code) const override;

  std::string ExpandArguments(const std::string& text) const;

  HINSTANCE instance = nullptr;
  std::string className;
  std::string windowName;
  HWND window = nullptr;
  HRGN region = nullptr;
  int windowWidth = 0, windowHeight = 0;
  int stepX = 0, stepY = 0;
  int buried = 0;
  std::string parameterPath;
  int dragOffsetX = 0, dragOffsetY = 0;
  int frameX = 0, frameY = 0;
  int dialogOpen = 0;
  HMENU popupMenu = nullptr;
  std::string statusText;

 private:
  void Measure();
  void ReplaceRegion(HRGN newRegion);
  void ApplyPriorities();
  void Trim();
  Pop3Checker* AccountAt(int index) const;

  std::vector<Pop3Checker*> accounts_;
  std::unique_ptr<Pop3CycleAccounts> cycleAccounts_;
  std::unique_ptr<CheckCycle> cycle_;
};

}  // namespace bw
