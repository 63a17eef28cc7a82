// How an IMAP account counts: its message count is the sum of its folders'
// unseen messages; its new count the unseen messages that arrived since the
// last check, found from what the account remembers of each folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "checker/core/imap_reply.h"

namespace bw {

// What an IMAP account remembers of each folder from its last good check:
// the messages that arrived since are those from this UIDNEXT on.
struct ImapFolderMemory {
  std::string folder;  // as the user typed it
  std::uint32_t uidValidity;
  std::uint32_t uidNext;
};

// How one folder's new messages are found.
struct ImapNewRule {
  enum Kind {
    AllUnseen,   // first check of the folder, or its UIDVALIDITY changed
    NoneNew,     // nothing arrived (UIDNEXT unchanged), or nothing is unseen
    SearchFrom,  // ask the server: unseen with UID fromUid or above
  } kind;
  std::uint32_t fromUid;
};
ImapNewRule NewMessagesRule(const std::vector<ImapFolderMemory>& memory, const std::string& folder,
                            const ImapFolderStatus& status);

}  // namespace bw
