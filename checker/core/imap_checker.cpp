// One check of an IMAP account: connection, greeting, STARTTLS, login,
// STATUS of every folder, the search for new messages where anything
// arrived, LOGOUT; and the counts the account keeps.
#include <algorithm>
#include <chrono>
#include <cstdint>

#include "checker/core/imap_counts.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_connect.h"
#include "common/core/imap_folders.h"
#include "common/core/log.h"

namespace bw {

ImapNewRule NewMessagesRule(const std::vector<ImapFolderMemory>& memory, const std::string& folder,
                            const ImapFolderStatus& status) {
  const auto previous = std::find_if(memory.begin(), memory.end(),
                                     [&](const ImapFolderMemory& m) { return m.folder == folder; });
  if (previous == memory.end() || previous->uidValidity != status.uidValidity) return {ImapNewRule::AllUnseen, 0};
  // UIDs only grow: with UIDNEXT where it was, no message arrived.
  if (status.unseen == 0 || status.uidNext == previous->uidNext) return {ImapNewRule::NoneNew, 0};
  return {ImapNewRule::SearchFrom, previous->uidNext};
}

int Pop3Checker::CheckImap(const std::string& accessToken) {
  const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  // An idling account's check is the watchdog's round trip on the kept
  // connection; one that does not answer is opened again.
  const bool kept = imap_.Idling() && IdleRoundTrip();
  const int opened = kept ? CheckOk : ImapOpen(accessToken);
  if (opened != CheckOk) {
    imap_.Close(false);
    EndEmergency();
    return opened;
  }
  const int counted = ImapCount();
  // The session stays usable after the counts: push keeps it, else the
  // check ends it.
  if (counted == CheckOk) StartIdle(&accessToken);
  if (!imap_.Idling()) {
    CloseFolderIdles();
    if (imap_.Connected()) imap_.Logout();
    imap_.Close(true);
    pushLibrary_.reset();
  }
  const std::chrono::steady_clock::time_point end = std::chrono::steady_clock::now();
  LogWrite("%s : 接続時間(%2.2f秒)\n", ConnectionName.c_str(),
           std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count() / 1000.0);
  LastCheckTime = std::time(nullptr);
  if (counted != CheckOk) {
    EndEmergency();
    return counted;
  }
  UidlList none;
  FinishSuccessfulCheck(false, none);
  return CheckOk;
}

int Pop3Checker::ImapOpen(const std::string& accessToken) {
  net::SocketHandle s;
  const StepResult opened = OpenConnection(ResolvedAddress, ResolvedPort, WaitLimitMs(TOofConnect_Sec),
                                           ConnectionName.c_str(), &s, "IMAP");
  if (!Take(opened)) return CheckConnectFailed;
  if (!Take(imap_.Start(s))) return CheckConnectFailed;
  if (!Take(imap_.Greeting())) return CheckConnectFailed;
  if (!Take(imap_.Capabilities())) return CheckConnectFailed;
  if (UseTLS == 2 && !Take(imap_.StartTls())) return CheckConnectFailed;
  const StepResult login = imap_.Login(accessToken);
  if (!Take(login)) {
    // A token the server refused is not offered again.
    if (login.code == Xoauth2Refused) accessToken_.Clear();
    return CheckLoginFailed;
  }
  if (!Take(imap_.EnableUtf8())) return CheckQueryFailed;
  return CheckOk;
}

int Pop3Checker::ImapCount() {
  const std::vector<std::string> folders = ImapFolderList(ImapFolders);
  std::vector<ImapFolderMemory> memory;
  std::uint64_t unseen = 0;
  std::uint64_t fresh = 0;
  std::vector<ImapNewFolder> withNew;
  for (const std::string& folder : folders) {
    ImapFolderStatus status;
    StepResult result = imap_.Status(folder, &status);
    if (result.code == FolderMissing) {
      LogWrite("%s : ﾌｫﾙﾀﾞ[%s]を読めません. 読み飛ばします.\n", ConnectionName.c_str(), folder.c_str());
      continue;
    }
    if (!Take(result)) return CheckQueryFailed;
    std::uint32_t arrived = 0;
    const ImapNewRule rule = NewMessagesRule(ImapMemory, folder, status);
    if (rule.kind == ImapNewRule::AllUnseen) {
      arrived = status.unseen;
    } else if (rule.kind == ImapNewRule::SearchFrom) {
      result = imap_.UnseenFrom(folder, rule.fromUid, &arrived);
      if (result.code == FolderMissing) {
        LogWrite("%s : ﾌｫﾙﾀﾞ[%s]を読めません. 読み飛ばします.\n", ConnectionName.c_str(), folder.c_str());
        continue;
      }
      if (!Take(result)) return CheckQueryFailed;
    }
    unseen += status.unseen;
    fresh += std::min(arrived, status.unseen);
    if (std::min(arrived, status.unseen) > 0)
      withNew.push_back({folder, rule.kind == ImapNewRule::SearchFrom ? rule.fromUid : 1});
    memory.push_back({folder, status.uidValidity, status.uidNext});
  }
  if (memory.empty()) {
    LogWrite("%s : 読めるﾌｫﾙﾀﾞがありません.\n", ConnectionName.c_str());
    Take({CheckStep::ImapFolders, NoFolderReadable});
    return CheckQueryFailed;
  }
  // The counts stay within an int, as a POP3 server's do.
  MessageCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(unseen, INT32_MAX));
  NewCount = static_cast<std::int32_t>(std::min<std::uint64_t>(fresh, INT32_MAX));
  ImapMemory = std::move(memory);
  if (FetchHeaders != 0 && !withNew.empty()) ImapFetchHeaders(withNew);
  return CheckOk;
}

}  // namespace bw
