// Which new messages a check fetches the headers of, and the limits of one
// fetch. The headers are held in memory only: nothing of them is logged or
// written anywhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "checker/core/uidl_list.h"

namespace bw {

// At most this many headers per check: those of the newest new messages.
constexpr std::size_t kHeaderFetchMax = 20;
// One header block is kept up to this many bytes; the rest is read past.
constexpr std::size_t kHeaderKeepBytes = 64 * 1024;
// A header block that goes on beyond this is no header: the fetch stops
// there (and the connection, out of step, is closed without QUIT).
constexpr std::size_t kHeaderReadPastBytes = std::size_t(16) << 20;

// The message numbers of the newest new messages, newest first: by UIDL,
// the entries of `current` that `previous` lacks.
std::vector<std::string> NewMessagesByUidl(const UidlList& current, const UidlList& previous);
// By STAT: the `newCount` messages at the top of `count` (those above the
// previous count, or all of them when the mailbox shrank).
std::vector<std::string> NewMessagesByStat(std::uint32_t count, std::int32_t newCount);

}  // namespace bw
