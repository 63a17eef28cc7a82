// CheckerApplication: instance initialisation, run, shutdown, and the
// platform side of the check cycle and of the display values.
#include "checker/win32/checker_application.h"

#include <ctime>
#include <new>

#include "checker/core/auto_exec.h"
#include "checker/core/macros.h"
#include "checker/core/socket_library.h"
#include "checker/core/time_text.h"
#include "checker/win32/platform_query.h"
#include "checker/win32/resource.h"
#include "common/core/log.h"
#include "common/core/param_file.h"

namespace bw {

const char kCheckerClassName[] = "POP3 Mail Checker Checker";
const char kCheckerWindowName[] = "Bellwick";
int g_configuratorPresent = 1;

CheckerApplication::~CheckerApplication() {
  if (popupMenu) DestroyMenu(popupMenu);
}

AncestryPop3Checker* CheckerApplication::CreateAccount() {
  return new (std::nothrow) Pop3Checker();
}

void CheckerApplication::SetUp(HINSTANCE inst, const char* cls, const char* name) {
  instance = inst;
  className = cls;
  windowName = name;
}

int CheckerApplication::InitializeInstance() {
  LogWrite("Bellwick Starting : %s", AsctimeText(std::time(nullptr)).c_str());

  int resolved = 0;
  {
    SocketLibrary library;
    if (library.result() != SocketLibrary::Started) return -1;
    WalkRing(accountHead, [this](AncestryPop3Checker* a) {
      accounts_.push_back(static_cast<Pop3Checker*>(a));
    });
    for (Pop3Checker* account : accounts_)
      if (account->Resolve() >= 0) ++resolved;
  }
  if (resolved == 0) {
    MessageBoxA(nullptr,
                "全部の接続先についてIPｱﾄﾞﾚｽ、ｻｰﾋﾞｽﾎﾟｰﾄが獲得できません.\r\n続行できません.",
                windowName.c_str(), MB_OK);
    return -1;
  }

  popupMenu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_POPUP));
  windowWidth = windowHeight = 0;
  region = nullptr;
  dragOffsetX = dragOffsetY = frameX = frameY = 0;
  dialogOpen = buried = 0;
  totalUnread = 0;
  lastCheckTime = 0;
  anyEmergency = 0;
  sweepPending = 1;

  cycleAccounts_ = std::make_unique<Pop3CycleAccounts>(*this);
  cycle_ = std::make_unique<CheckCycle>(*this, *cycleAccounts_, *this, *this);
  return CreateMainWindow();
}

void CheckerApplication::ApplyPriorities() {
  DWORD priorityClass = 0;
  const char* classLine = "No Change Priority Class.\n";
  switch (PriorityClass) {
    case 1: priorityClass = IDLE_PRIORITY_CLASS; classLine = "Change Priority Class (LOW)\n"; break;
    case 2: priorityClass = NORMAL_PRIORITY_CLASS; classLine = "Change Priority Class (NORMAL)\n"; break;
    case 3: priorityClass = HIGH_PRIORITY_CLASS; classLine = "Change Priority Class (HIGH)\n"; break;
    default: break;
  }
  if (priorityClass) SetPriorityClass(GetCurrentProcess(), priorityClass);
  LogWrite("%s", classLine);

  int threadPriority = 0;
  const char* threadLine = "No Change Priority Thread.\n";
  switch (PriorityThread) {
    case 1: threadPriority = THREAD_PRIORITY_LOWEST; threadLine = "Change Priority Thread (LOWEST)\n"; break;
    case 2: threadPriority = THREAD_PRIORITY_BELOW_NORMAL; threadLine = "Change Priority Thread (BELOW)\n"; break;
    case 3: threadPriority = THREAD_PRIORITY_NORMAL; threadLine = "Change Priority Thread (NORMAL)\n"; break;
    case 4: threadPriority = THREAD_PRIORITY_ABOVE_NORMAL; threadLine = "Change Priority Thread (ABOVE)\n"; break;
    case 5: threadPriority = THREAD_PRIORITY_HIGHEST; threadLine = "Change Priority Thread (HIGHEST)\n"; break;
    default: break;
  }
  if (PriorityThread >= 1 && PriorityThread <= 5) SetThreadPriority(GetCurrentThread(), threadPriority);
  LogWrite("%s", threadLine);
}

int CheckerApplication::Run() {
  ShowFace(nullptr);
  if (StartupBuried) {
    SetWindowRgn(window, nullptr, TRUE);
    region = nullptr;
    buried = 1;
    BuildHollowFrame();
  }
  ApplyPriorities();
  cycle_->ArmAtStartup();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

void CheckerApplication::Shutdown() {
  if (cycle_ && cycle_->SaveGeometryAtExit()) SaveGeometry(*this, parameterPath);
}

void CheckerApplication::Trim() { TrimWorkingSet(); }

Pop3Checker* CheckerApplication::AccountAt(int index) const {
  if (index < 0 || index >= static_cast<int>(accounts_.size())) return nullptr;
  return accounts_[static_cast<size_t>(index)];
}

// ---- CycleHost ----

void CheckerApplication::ArmTimer(unsigned id, unsigned milliseconds) {
  SetTimer(window, id, milliseconds, nullptr);
}

void CheckerApplication::KillTimer(unsigned id) { ::KillTimer(window, id); }

int CheckerApplication::RemoveQueuedTimerMessages() {
  MSG msg;
  int removed = 0;
  while (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) ++removed;
  return removed;
}

int CheckerApplication::PlatformFamily() { return QueryPlatformFamily(); }

bool CheckerApplication::ScreenSaverDesktopOpens() {
  HDESK desktop = OpenDesktopA("Screen-saver", 0, FALSE, MAXIMUM_ALLOWED);
  if (!desktop) return false;
  CloseDesktop(desktop);
  return true;
}

bool CheckerApplication::ScreenSaverWindowExists() {
  return FindWindowA("WindowsScreenSaverClass", nullptr) != nullptr;
}

void CheckerApplication::SetButtonPressed(bool pressed) {
  SendMessageA(window, BM_SETSTATE, pressed ? 1 : 0, 0);
}

void CheckerApplication::ShowConnectingFace(const std::string& text) {
  SetWindowTextA(window, text.c_str());
}

void CheckerApplication::ShowFaceText() { ShowFace(nullptr); }

void CheckerApplication::RestoreWindow() { Restore(); }

void CheckerApplication::RunAutoExecSequence() {
  bw::RunAutoExecSequence(*this, [this](const std::string& text) { return ExpandArguments(text); });
}

void CheckerApplication::TerminateAutoExecApplications() {
  bw::TerminateAutoExecApplications(*this);
}

void CheckerApplication::BuryAnimationStep(unsigned id) { BuryStep(id); }

int CheckerApplication::AskUser(const std::string& text, const std::string& caption,
                                unsigned style) {
  return MessageBoxA(window, text.c_str(), caption.c_str(), style);
}

bool CheckerApplication::WindowRectangle(int& left, int& top, int& width, int& height) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  left = r.left;
  top = r.top;
  width = r.right - r.left;
  height = r.bottom - r.top;
  return true;
}

void CheckerApplication::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

void CheckerApplication::DestroyWindow() {
  if (window) ::DestroyWindow(window);
}

std::time_t CheckerApplication::Now() { return std::time(nullptr); }

// ---- DisplaySource ----

// Also the controller's count: start-up asks it before the run-time list
// exists, so both answer from the ring.
int CheckerApplication::AccountCount() const { return AncestryPop3Controller::AccountCount(); }

int CheckerApplication::AccountCheckState(int index) const {
  Pop3Checker* a = AccountAt(index);
  return a ? a->CheckState : 0;
}

std::string CheckerApplication::AccountAttributeText(int index, const std::string& code) const {
  Pop3Checker* a = AccountAt(index);
  if (!a) return std::string();
  AttributeRequest request{code, std::string()};
  a->AttributeText(request);
  return request.result;
}

std::string CheckerApplication::ExpandArguments(const std::string& text) const {
  return ExpandMacros(*this, text);
}

}  // namespace bw
