// Who wrote, and about what: the headers fetched while the program runs,
// newest first, for the list window and the button's tooltip. Held in
// memory only, never written anywhere.
#pragma once
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "checker/core/mail_header.h"

namespace bw {

// The list holds at most this many entries; older ones drop off.
constexpr std::size_t kNewMailListMax = 200;
// The tooltip shows this many of the newest.
constexpr std::size_t kTooltipEntries = 3;

struct NewMailEntry {
  std::u16string account;  // ConnectionName
  std::u16string from;
  std::u16string subject;
  std::u16string date;
};

class NewMailList {
 public:
  // Puts one check's headers (newest first) on top of the list.
  void Add(const std::u16string& account, const std::vector<MailHeader>& newestFirst);
  const std::deque<NewMailEntry>& Entries() const { return entries_; }
  // The newest three as "差出人 - 件名", one a line (CR LF between them);
  // empty when the list is.
  std::u16string TooltipText() const;

 private:
  std::deque<NewMailEntry> entries_;
};

}  // namespace bw
