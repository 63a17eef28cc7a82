// The in-memory list of fetched headers; see new_mail_list.h.
#include "checker/core/new_mail_list.h"

namespace bw {

void NewMailList::Add(const std::u16string& account, const std::vector<MailHeader>& newestFirst) {
  // The oldest of the batch goes on first, so the newest ends on top.
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
    entries_.push_front({account, it->from, it->subject, it->date});
    if (entries_.size() > kNewMailListMax) entries_.pop_back();
  }
}

std::u16string NewMailList::TooltipText() const {
  std::u16string text;
  for (std::size_t i = 0; i < entries_.size() && i < kTooltipEntries; ++i) {
    if (i > 0) text += u"\r\n";
    text += entries_[i].from + u" - " + entries_[i].subject;
  }
  return text;
}

}  // namespace bw
