// The compact UIDL memory; see uidl_list.h.
#include "checker/core/uidl_list.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <utility>

#include "common/core/log.h"

namespace bw {
namespace {

// Blocks grow from small (a typical mailbox) to this size (a huge one), so
// that neither wastes memory and no block is ever moved.
constexpr std::size_t kFirstBlock = 4096;
constexpr std::size_t kLargestBlock = 1 << 20;

}  // namespace

UidlList::UidlList(std::initializer_list<UidlEntry> entries) {
  for (const UidlEntry& e : entries) Append(e.uid, e.number);
}

bool UidlList::Append(std::string_view uid, std::string_view number) {
  if (uid.size() > 255 || number.size() > 255) return false;
  const std::size_t need = 2 + uid.size() + number.size();
  try {
    if (blocks_.empty() || blockSize_ - blockUsed_ < need) {
      const std::size_t size = blocks_.empty() ? kFirstBlock : std::min(blockSize_ * 2, kLargestBlock);
      std::unique_ptr<char[]> block(new char[size]);
      blocks_.push_back(std::move(block));
      blockSize_ = size;
      blockUsed_ = 0;
    }
    if (entries_.size() == entries_.capacity())
      entries_.reserve(entries_.empty() ? 16 : entries_.capacity() * 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  char* at = blocks_.back().get() + blockUsed_;
  at[0] = static_cast<char>(uid.size());
  at[1] = static_cast<char>(number.size());
  std::memcpy(at + 2, number.data(), number.size());
  std::memcpy(at + 2 + number.size(), uid.data(), uid.size());
  blockUsed_ += need;
  entries_.push_back(at);
  return true;
}

void UidlList::clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  blocks_.clear();
  blockSize_ = blockUsed_ = 0;
}

void UidlList::swap(UidlList& other) noexcept {
  entries_.swap(other.entries_);
  blocks_.swap(other.blocks_);
  std::swap(blockSize_, other.blockSize_);
  std::swap(blockUsed_, other.blockUsed_);
}

UidlEntry UidlList::operator[](std::size_t index) const {
  const char* at = entries_[index];
  const auto uidLength = static_cast<unsigned char>(at[0]);
  const auto numberLength = static_cast<unsigned char>(at[1]);
  return {std::string_view(at + 2 + numberLength, uidLength), std::string_view(at + 2, numberLength)};
}

std::int32_t CountNewUids(const UidlList& current, const UidlList& previous) {
  // An open-addressed table of positions in `previous` keeps large
  // mailboxes linear at four bytes a slot.
  std::size_t slots = 16;
  while (slots < previous.size() * 2) slots *= 2;
  std::vector<std::uint32_t> table;
  try {
    table.assign(slots, 0);
  } catch (const std::bad_alloc&) {
    LogWrite("メモリ不足発生.\n");
    return static_cast<std::int32_t>(current.size());
  }
  const std::size_t mask = slots - 1;
  std::hash<std::string_view> hash;
  for (std::size_t i = 0; i < previous.size(); ++i) {
    std::size_t s = hash(previous[i].uid) & mask;
    while (table[s] != 0) s = (s + 1) & mask;
    table[s] = static_cast<std::uint32_t>(i + 1);  // 0 marks a free slot
  }
  std::int32_t fresh = 0;
  for (UidlEntry e : current) {
    std::size_t s = hash(e.uid) & mask;
    bool seen = false;
    for (; table[s] != 0; s = (s + 1) & mask) {
      if (previous[table[s] - 1].uid == e.uid) {
        seen = true;
        break;
      }
    }
    if (!seen) ++fresh;
  }
  return fresh;
}

}  // namespace bw
