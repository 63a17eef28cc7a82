// Push for IMAP accounts: after a good check the connection is kept and
// IDLE waits on the first folder (on every folder where the server offers
// NOTIFY; else the further folders, up to five connections in all, idle on
// connections of their own); any change the server reports ends the
// IDLE and the counts are taken again on the same connection. The account's
// timer is the watchdog (DONE, NOOP, the counts, IDLE again), and a dropped
// connection is opened again after a back-off of 1, 2, 4 ... seconds up to
// the account's cycle, the last count kept meanwhile.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_connect.h"
#include "checker/core/resolve_worker.h"
#include "checker/core/time_text.h"
#include "common/core/log.h"

namespace bw {
namespace {

// The server may end an IDLE after 30 minutes of silence: it is renewed
// before that.
constexpr long long kIdleRenewMs = 29LL * 60 * 1000;

}  // namespace

long long ReconnectDelayMs(int attempt, int cycleMinutes) {
  const long long cycle = std::max(1LL, static_cast<long long>(cycleMinutes)) * 60000;
  if (attempt < 1) attempt = 1;
  // 2^30 seconds is beyond any cycle already.
  const long long delay = 1000LL << std::min(attempt - 1, 30);
  return std::min(delay, cycle);
}

void Pop3Checker::StartIdle(const std::string* accessToken) {
  if (!pushAllowed || !UseIdle || !imap_.Connected() || !imap_.Has("IDLE") || ImapMemory.empty()) {
    CloseFolderIdles();
    return;
  }
  const bool wasIdling = pushLibrary_ != nullptr;
  if (ImapMemory.size() > 1 && imap_.Has("NOTIFY") && !imap_.NotifyAsked()) {
    // One connection hears every folder.
    std::vector<std::string> others;
    for (std::size_t i = 1; i < ImapMemory.size(); ++i) others.push_back(ImapMemory[i].folder);
    const StepResult notify = imap_.Notify(others);
    if (!imap_.Connected()) return;
    if (!notify.ok()) LogWrite("%s : NOTIFYが使えません. 最初のﾌｫﾙﾀﾞだけ待ちます.\n", ConnectionName.c_str());
  }
  const StepResult idle = imap_.Idle(ImapMemory.front().folder);
  if (!idle.ok()) {
    // The account is polled; the check's counts stand.
    LogWrite("%s : IDLEを開始できません. 周期で確認します.\n", ConnectionName.c_str());
    CloseFolderIdles();
    return;
  }
  if (!pushLibrary_) pushLibrary_ = std::make_unique<SocketLibrary>();
  if (!wasIdling) LogWrite("%s : IDLEで待機開始[%s].\n", ConnectionName.c_str(), ImapMemory.front().folder.c_str());
  if (imap_.NotifyAsked()) {
    CloseFolderIdles();
    return;
  }
  // Without NOTIFY: the further folders on connections of their own.
  const std::size_t wanted = std::min<std::size_t>(ImapMemory.size(), kIdleConnectionsMax) - 1;
  folderIdles_.resize(wanted);
  for (std::size_t i = 0; i < wanted; ++i) {
    std::unique_ptr<ImapSession>& session = folderIdles_[i];
    const std::string& folder = ImapMemory[i + 1].folder;
    if (session && session->Connected() && !session->Idling() && session->Idle(folder).ok()) continue;
    if (session && session->Idling()) continue;
    session.reset();
    if (!accessToken) continue;  // opened at the next check
    auto opened = std::make_unique<ImapSession>(*this, [this] { return WaitLimitMs(TOofSendRecv_Sec); });
    if (OpenFolderIdle(*opened, folder, *accessToken)) session = std::move(opened);
  }
}

bool Pop3Checker::OpenFolderIdle(ImapSession& session, const std::string& folder, const std::string& accessToken) {
  net::SocketHandle s;
  bool ok = OpenConnection(ResolvedAddress, ResolvedPort, WaitLimitMs(TOofConnect_Sec), ConnectionName.c_str(), &s,
                           "IMAP")
                .ok() &&
            session.Start(s).ok() && session.Greeting().ok() && session.Capabilities().ok() &&
            (UseTLS != 2 || session.StartTls().ok()) && session.Login(accessToken).ok() &&
            session.EnableUtf8().ok() && session.Idle(folder).ok();
  if (!ok) {
    session.Close(false);
    LogWrite("%s : ﾌｫﾙﾀﾞ[%s]のIDLE接続を開けません. 周期で確認します.\n", ConnectionName.c_str(), folder.c_str());
    return false;
  }
  LogWrite("%s : IDLEで待機開始[%s].\n", ConnectionName.c_str(), folder.c_str());
  return true;
}

void Pop3Checker::CloseFolderIdles() {
  for (std::unique_ptr<ImapSession>& session : folderIdles_) {
    if (!session || !session->Connected()) continue;
    if (session->EndIdle(false).ok()) session->Logout();
    session->Close(true);
  }
  folderIdles_.clear();
}

std::vector<net::SocketHandle> Pop3Checker::IdleSockets() const {
  std::vector<net::SocketHandle> sockets;
  if (!imap_.Idling()) return sockets;
  sockets.push_back(imap_.Socket());
  for (const std::unique_ptr<ImapSession>& session : folderIdles_)
    if (session && session->Idling()) sockets.push_back(session->Socket());
  return sockets;
}

bool Pop3Checker::IdleRoundTrip() {
  // The further folders' connections answer too; one that does not is
  // closed and opened again after the counts.
  for (std::unique_ptr<ImapSession>& session : folderIdles_) {
    if (!session) continue;
    if (!session->Idling() || !session->EndIdle(true).ok()) {
      LogWrite("%s : ﾌｫﾙﾀﾞのIDLE接続が応答しません. 接続し直します.\n", ConnectionName.c_str());
      session->Close(false);
      session.reset();
    }
  }
  if (imap_.EndIdle(true).ok()) return true;
  // The network may be gone: no LOGOUT waits for an answer.
  folderIdles_.clear();
  LogWrite("%s : IDLE接続が応答しません. 切断して接続し直します.\n", ConnectionName.c_str());
  LogWrite("%s : IDLEでの待機終了.\n", ConnectionName.c_str());
  imap_.Close(false);
  pushLibrary_.reset();
  return false;
}

int Pop3Checker::AfterReconnect(int result, int state, int cause) {
  if (result == CheckOk) {
    if (reconnectAttempt_ > 0 && Idling()) LogWrite("%s : 再接続しました.\n", ConnectionName.c_str());
    reconnectAttempt_ = 0;
    return result;
  }
  // A refusal or a login failure is the account's to show; a connection
  // that cannot be had for now is tried again soon, the last count shown.
  const bool transient = (result == CheckResolveFailed || result == CheckConnectFailed || CheckState == RetryWait) &&
                         CheckState != ServerRefused && result != CheckLoginFailed;
  if (!transient) {
    reconnectAttempt_ = 0;
    return result;
  }
  CheckState = state;
  ErrorCause = cause;
  ++reconnectAttempt_;
  LogWrite("%s : 再接続待ち[%lld秒].\n", ConnectionName.c_str(), PushTimerMs() / 1000);
  return result;
}

int Pop3Checker::Dropped(const char* why) {
  LogWrite("%s : IDLE接続が切れました(%s). IDLEでの待機終了.\n", ConnectionName.c_str(), why);
  imap_.Close(false);
  folderIdles_.clear();
  pushLibrary_.reset();
  reconnectAttempt_ = 1;
  LogWrite("%s : 再接続待ち[%lld秒].\n", ConnectionName.c_str(), PushTimerMs() / 1000);
  return PushDropped;
}

int Pop3Checker::PushReadable() {
  if (!imap_.Idling()) return PushQuiet;
  LogBatch batch;
  bool changed = false;
  if (imap_.HearIdle(&changed) != 0) return Dropped("受信ｴﾗｰ");
  for (std::unique_ptr<ImapSession>& session : folderIdles_) {
    if (!session) continue;
    bool news = false;
    if (session->HearIdle(&news) != 0) {
      // Its folder is counted on the first connection until the next
      // check opens it again.
      LogWrite("%s : ﾌｫﾙﾀﾞのIDLE接続が切れました.\n", ConnectionName.c_str());
      session.reset();
      continue;
    }
    if (news && !session->EndIdle(false).ok()) session.reset();
    changed = changed || news;
  }
  if (!changed) return PushQuiet;
  LogWrite("--- [%s] --- IDLE通知 %s", ConnectionName.c_str(), AsctimeText(std::time(nullptr)).c_str());
  // The counts are taken as a check takes them, under the check's bound.
  checkDeadline_ = Clock::now() + std::chrono::milliseconds(CheckCeilingMs());
  checkBounded_ = true;
  const int state = CheckState, cause = ErrorCause;
  int counted = imap_.EndIdle(false).ok() ? ImapCount() : CheckQueryFailed;
  checkBounded_ = false;
  if (counted != CheckOk || !imap_.Connected()) {
    // The last count stands while the connection is opened again.
    CheckState = state;
    ErrorCause = cause;
    return Dropped("応答ｴﾗｰ");
  }
  LastCheckTime = std::time(nullptr);
  UidlList none;
  FinishSuccessfulCheck(false, none);
  StartIdle();
  if (!imap_.Idling()) {
    imap_.Logout();
    imap_.Close(true);
    pushLibrary_.reset();
  }
  return PushChanged;
}

long long Pop3Checker::PushTimerMs() const {
  if (reconnectAttempt_ > 0) return ReconnectDelayMs(reconnectAttempt_, CycleMinutes);
  if (!Idling()) return -1;
  return std::min(kIdleRenewMs, std::max(1LL, static_cast<long long>(CycleMinutes)) * 60000);
}

void Pop3Checker::EndPush(bool logout) {
  const bool kept = Idling() || reconnectAttempt_ > 0;
  if (Idling()) {
    if (logout && imap_.EndIdle(false).ok()) imap_.Logout();
    imap_.Close(logout);
  }
  if (logout) {
    CloseFolderIdles();
  } else {
    folderIdles_.clear();
  }
  pushLibrary_.reset();
  reconnectAttempt_ = 0;
  if (kept) LogWrite("%s : IDLEでの待機終了.\n", ConnectionName.c_str());
}

}  // namespace bw
