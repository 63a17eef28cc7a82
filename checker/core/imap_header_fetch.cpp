// The headers of the newest new messages of an IMAP account: their UIDs by
// UID SEARCH, then one UID FETCH of the From, Subject and Date lines with
// BODY.PEEK in a folder opened by EXAMINE, so that nothing is marked seen.
// Nothing of the headers reaches the log.
#include <algorithm>
#include <map>

#include "checker/core/header_fetch.h"
#include "checker/core/imap_names.h"
#include "checker/core/imap_session.h"
#include "checker/core/pop3_checker.h"
#include "common/core/log.h"

namespace bw {

StepResult ImapSession::NewestUnseen(const std::string& folder, std::uint32_t fromUid, std::size_t most,
                                     std::vector<std::uint32_t>* uids) {
  uids->clear();
  if (const StepResult examined = Examine(folder); !examined.ok()) return examined;
  ImapReply done;
  int rc = 0;
  const std::string range = std::to_string(std::max<std::uint32_t>(fromUid, 1)) + ":*";
  bool unreadable = false;
  // ESEARCH gives the UIDs as ranges, however many there are; a plain
  // SEARCH lists each one.
  const bool esearch = Has("ESEARCH");
  rc = Command(esearch ? "UID SEARCH RETURN (ALL) UNSEEN UID " + range : "UID SEARCH UNSEEN UID " + range, &done,
               [&](const std::string& raw, const ImapReply& reply) {
                 std::vector<std::uint32_t> found;
                 if (esearch && reply.word == "ESEARCH") {
                   std::string set;
                   if (!ParseImapEsearchAll(raw, reply.data, &set) || !NewestOfSequenceSet(set, fromUid, most, &found))
                     unreadable = true;
                 } else if (!esearch && reply.word == "SEARCH") {
                   if (!ParseImapSearch(raw, reply.data, &found)) unreadable = true;
                 } else {
                   return;
                 }
                 uids->insert(uids->end(), found.begin(), found.end());
               });
  if (rc == 0 && unreadable) {
    LogWrite("%s : SEARCH応答を解析できません.\n", account_.ConnectionName.c_str());
    rc = ImapBadReply;
  }
  if (rc != 0) {
    uids->clear();
    return {CheckStep::ImapFolders, rc};
  }
  // "n:*" holds the highest UID even when it is below n.
  uids->erase(std::remove_if(uids->begin(), uids->end(), [&](std::uint32_t uid) { return uid < fromUid; }),
              uids->end());
  std::sort(uids->begin(), uids->end(), [](std::uint32_t a, std::uint32_t b) { return a > b; });
  uids->erase(std::unique(uids->begin(), uids->end()), uids->end());
  if (uids->size() > most) uids->resize(most);
  return {CheckStep::ImapFolders, 0};
}

StepResult ImapSession::FetchHeaderFields(const std::vector<std::uint32_t>& uids, const ImapLiteralBound& bound,
                                          std::vector<std::string>* blocks) {
  blocks->clear();
  if (uids.empty()) return {CheckStep::ImapFolders, 0};
  std::string set;
  for (std::uint32_t uid : uids) set += (set.empty() ? "" : ",") + std::to_string(uid);
  std::map<std::uint32_t, std::string> answered;
  ImapReply done;
  bound_ = bound;
  const int rc = Command("UID FETCH " + set + " (BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE)])", &done,
                         [&](const std::string& raw, const ImapReply& reply) {
                           if (reply.word != "FETCH") return;
                           std::uint32_t uid = 0;
                           std::string block;
                           // Other FETCH responses (flags changed meanwhile) carry no header.
                           if (ParseImapFetchHeader(raw, reply.data, &uid, &block)) answered[uid] = std::move(block);
                         });
  bound_ = ImapLiteralBound();
  for (std::uint32_t uid : uids) {
    const auto it = answered.find(uid);
    if (it != answered.end()) blocks->push_back(std::move(it->second));
  }
  return {CheckStep::ImapFolders, rc};
}

void Pop3Checker::ImapFetchHeaders(const std::vector<ImapNewFolder>& folders) {
  std::size_t left = kHeaderFetchMax;
  // Folder by folder in the order set, each one's newest first, until the
  // limit: UIDs of different folders say nothing about which came first.
  for (const ImapNewFolder& folder : folders) {
    if (left == 0 || !imap_.Connected()) break;
    std::vector<std::uint32_t> uids;
    if (!imap_.NewestUnseen(folder.folder, folder.fromUid, left, &uids).ok()) continue;
    std::vector<std::string> blocks;
    const StepResult fetched = imap_.FetchHeaderFields(uids, {kHeaderKeepBytes, kHeaderReadPastBytes}, &blocks);
    for (const std::string& block : blocks) FetchedHeaders.push_back(DecodeMailHeader(block));
    left -= std::min(left, uids.size());
    if (!fetched.ok() && !imap_.Connected()) break;
  }
  LogWrite("%s : 新着ﾍｯﾀﾞ %u件\n", ConnectionName.c_str(), static_cast<unsigned>(FetchedHeaders.size()));
}

}  // namespace bw
