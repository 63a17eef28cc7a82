// CheckerApplication: instance initialisation, run, shutdown, and the
// platform side of the check cycle and of the display values.
#include "checker/win32/checker_application.h"

#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <memory>
#include <new>

#include "checker/core/header_text.h"
#include "checker/core/macros.h"
#include "checker/core/socket_library.h"
#include "checker/core/time_text.h"
#include "checker/win32/platform_query.h"
#include "common/core/log.h"
#include "common/core/param_rewrite.h"
#include "common/win32/program_names.h"
#include "platform/win32/wide_text.h"

namespace bw {

namespace {

// A click on the balloon (Windows 2000's shell and later send it; the
// headers of this build's Windows version lack the name).
constexpr UINT kBalloonClicked = WM_USER + 5;

// The cycle's accounts, telling the application when a check has ended.
class ReportingAccounts : public Pop3CycleAccounts {
 public:
  ReportingAccounts(const AncestryPop3Controller& application, std::function<void(int)> checked)
      : Pop3CycleAccounts(application), checked_(std::move(checked)) {}
  int Check(int index) override {
    const int result = Pop3CycleAccounts::Check(index);
    checked_(index);
    return result;
  }

 private:
  std::function<void(int)> checked_;
};

}  // namespace

CheckerApplication::CheckerApplication(HINSTANCE instance)
    : instance_(instance), network_(std::make_shared<NetworkConditions>()) {
  network_->addressUsable = &AddressWatch::UsableAddress;
}

CheckerApplication::~CheckerApplication() = default;

AncestryPop3Checker* CheckerApplication::CreateAccount() {
  Pop3Checker* account = new (std::nothrow) Pop3Checker();
  if (account) account->pushAllowed = true;  // the checker stays to hear kept connections
  return account;
}

int CheckerApplication::InitializeInstance() {
  LogWrite("Bellwick Starting : %s", AsctimeText(std::time(nullptr)).c_str());

  int resolved = 0;
  {
    SocketLibrary library;
    if (library.result() != SocketLibrary::Started) return -1;
    // OAuth accounts share one HTTPS client; a refresh token the provider
    // rotates goes back into the parameter file at once.
    auto oauth = std::make_shared<OAuthAccess>();
    oauth->SaveTokensIn(parameterPath_);
    WalkRing(accountHead, [this, &oauth](AncestryPop3Checker* a) {
      accounts_.push_back(static_cast<Pop3Checker*>(a));
      accounts_.back()->oauth = oauth;
      accounts_.back()->network = network_;
    });
    for (Pop3Checker* account : accounts_)
      if (account->Resolve() >= 0) ++resolved;
  }
  if (resolved == 0) {
    MessageBoxW(nullptr,
                Wide("全部の接続先についてIPｱﾄﾞﾚｽ、ｻｰﾋﾞｽﾎﾟｰﾄが獲得できません.\r\n続行できません.")
                    .c_str(),
                Wide(kCheckerWindowName).c_str(), MB_OK);
    return -1;
  }

  menu_.Load(instance_);
  state_ = CycleState{};
  cycleAccounts_ = std::make_unique<ReportingAccounts>(*this, [this](int index) { AfterCheck(index); });
  cycle_ = std::make_unique<CheckCycle>(*this, *cycleAccounts_, host_, state_, network_.get());

  if (windowWidthSetting < 16) windowWidthSetting = 32;
  if (windowHeightSetting < 16) windowHeightSetting = 32;
  if (window_.Create(instance_, kCheckerClassName, kCheckerWindowName, windowX, windowY, windowWidthSetting,
                     windowHeightSetting) < 0)
    return -1;
  tooltip_.Attach(window_.Handle());
  if (NotifyNewMail)
    notifyIcon_.Add(window_.Handle(), kNotifyIconMessage, LoadIconW(instance_, MAKEINTRESOURCEW(5)), u"Bellwick");
  return 0;
}

void CheckerApplication::AfterCheck(int index) {
  Pop3Checker* account = AccountAt(index);
  if (!account || account->CheckState != Pop3Checker::Ready) return;
  const std::u16string name = Cp932Text(account->ConnectionName);
  if (!account->FetchedHeaders.empty()) {
    newMail_.Add(name, account->FetchedHeaders);
    tooltip_.SetText(newMail_.TooltipText());
    listWindow_.Refresh(newMail_);
  }
  if (!notifyIcon_.Shown() || account->NewCount <= 0) return;
  // The newest three of this check; without headers (fetching off or
  // refused) the count.
  NewMailList batch;
  batch.Add(name, account->FetchedHeaders);
  std::u16string text = batch.TooltipText();
  if (text.empty()) text = Cp932Text("新着 " + std::to_string(account->NewCount) + "通");
  notifyIcon_.Balloon(name, text);
}

bool CheckerApplication::OnAppMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != kNotifyIconMessage) return false;
  switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case kBalloonClicked:
      if (!dialogOpen_) OpenNewMailList();
      break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      if (!dialogOpen_ && menu_.Loaded()) ShowPopupMenu();
      break;
    default:
      break;
  }
  return true;
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
  LinkCheckerLibraries(true);
  window_.SetFace(FaceText());
  if (StartupBuried) window_.BuryAtOnce();
  ApplyPriorities();
  cycle_->ArmAtStartup();
  addressWatch_.Start(window_.Handle(), kAddressChangedMessage);
  // GetMessageW answers -1 when it fails (an invalid window handle, which
  // this loop never passes): the loop ends then too, so that it cannot spin.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void CheckerApplication::EndRun(int exitCode) {
  if (ended_) return;
  ended_ = true;
  if (cycle_ && cycle_->SaveGeometryAtExit()) SaveGeometry(*this, parameterPath_);
  LogWrite("--- Program End Code=%d ---\n", exitCode);
}

void CheckerApplication::Shutdown(int exitCode) {
  EndRun(exitCode);
  addressWatch_.Stop();
  LinkCheckerLibraries(false);
  notifyIcon_.Remove();
  window_.Destroy();
}

void CheckerApplication::OnPowerBroadcast(WPARAM event) {
  switch (event) {
    case PBT_APMSUSPEND:
      cycle_->OnSuspend();
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMECRITICAL:
      cycle_->OnResume();
      break;
    default:
      break;
  }
}

// Windows may end the process as soon as this returns: the run ends here,
// as the exit command ends it, and the message loop only winds down after.
void CheckerApplication::OnEndSession() {
  cycle_->OnEndSession();
  EndRun(0);
}

std::string CheckerApplication::FaceText() const { return BuildDisplayValue(display_, "CP"); }

void CheckerApplication::WatchPushSockets() {
  std::vector<std::pair<net::SocketHandle, int>> now;
  for (int i = 0; i < static_cast<int>(accounts_.size()); ++i) {
    for (net::SocketHandle s : cycleAccounts_->IdleSockets(i)) {
      // Asked again every time: a closed socket's handle may come back as
      // a new connection's. A closed socket's notices end with it.
      if (net::NotifyReadable(s, window_.Handle(), kPushReadableMessage) != 0) continue;
      now.emplace_back(s, i);
      // Bytes that came with the IDLE's "+" may already wait inside the
      // session, where no socket notice tells of them: one look now.
      PostMessageA(window_.Handle(), kPushReadableMessage, static_cast<WPARAM>(s), 0);
    }
  }
  watched_ = std::move(now);
}

void CheckerApplication::OnPushReadable(WPARAM socket) {
  for (const auto& w : watched_) {
    if (w.first != static_cast<net::SocketHandle>(socket)) continue;
    cycle_->OnPushReadable(w.second);
    return;
  }
}

Pop3Checker* CheckerApplication::AccountAt(int index) const {
  if (index < 0 || index >= static_cast<int>(accounts_.size())) return nullptr;
  return accounts_[static_cast<size_t>(index)];
}

// ---- Display ----

int CheckerApplication::Display::AccountCheckState(int index) const {
  Pop3Checker* a = app_.AccountAt(index);
  return a ? a->CheckState : 0;
}

std::string CheckerApplication::Display::AccountAttributeText(int index,
                                                              const std::string& code) const {
  Pop3Checker* a = app_.AccountAt(index);
  if (!a) return std::string();
  AttributeRequest request{code, std::string()};
  a->AttributeText(request);
  return request.result;
}

// ---- Host ----

void CheckerApplication::Host::ArmTimer(unsigned id, unsigned milliseconds) {
  app_.window_.ArmTimer(id, milliseconds);
}

void CheckerApplication::Host::KillTimer(unsigned id) { app_.window_.KillTimer(id); }

int CheckerApplication::Host::RemoveQueuedTimerMessages() {
  return app_.window_.RemoveQueuedTimerMessages();
}

int CheckerApplication::Host::PlatformFamily() { return QueryPlatformFamily(); }

bool CheckerApplication::Host::ScreenSaverDesktopOpens() {
  HDESK desktop =
      OpenDesktopW(L"Screen-saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS);
  if (!desktop) return false;
  CloseDesktop(desktop);
  return true;
}

bool CheckerApplication::Host::ScreenSaverWindowExists() {
  return FindWindowW(L"WindowsScreenSaverClass", nullptr) != nullptr;
}

void CheckerApplication::Host::SetButtonPressed(bool pressed) { app_.window_.SetPressed(pressed); }

void CheckerApplication::Host::ShowConnectingFace(const std::string& text) {
  app_.window_.SetFace(text);
}

void CheckerApplication::Host::ShowFaceText() { app_.window_.SetFace(app_.FaceText()); }

void CheckerApplication::Host::Restore() { app_.window_.Restore(); }

void CheckerApplication::Host::RunAutoExecSequence() {
  app_.autoExec_.RunAutoExecSequence(
      [this](const std::string& text) { return ExpandMacros(app_.display_, text); });
}

void CheckerApplication::Host::TerminateAutoExecApplications() {
  app_.autoExec_.TerminateAutoExecApplications();
}

bool CheckerApplication::Host::AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxW(app_.window_.Handle(), Wide(text).c_str(), Wide(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool CheckerApplication::Host::WindowRectangle(int& left, int& top, int& width, int& height) {
  return app_.window_.Rectangle(left, top, width, height);
}

void CheckerApplication::Host::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

void CheckerApplication::Host::DestroyWindow() { app_.window_.Destroy(); }

std::time_t CheckerApplication::Host::Now() { return std::time(nullptr); }

}  // namespace bw
