// The compact UIDL memory; see uidl_list.h.
#include "checker/core/uidl_list.h"

#include <algorithm>
#include <atomic>
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

std::atomic<std::size_t> bytesHeld{0};
std::atomic<std::size_t> budget{kUidlMemoryBudget};

// Counts `bytes` against the budget before they are allocated; false when
// they would go beyond it.
bool Charge(std::size_t bytes) {
  const std::size_t limit = budget.load();
  std::size_t held = bytesHeld.load();
  do {
    if (bytes > limit || held > limit - bytes) return false;
  } while (!bytesHeld.compare_exchange_weak(held, held + bytes));
  return true;
}

void Release(std::size_t bytes) { bytesHeld -= bytes; }

}  // namespace

std::size_t UidlMemoryHeld() { return bytesHeld.load(); }
std::size_t UidlMemoryBudget() { return budget.load(); }
void SetUidlMemoryBudget(std::size_t bytes) { budget = bytes > 0 ? bytes : kUidlMemoryBudget; }

UidlList::UidlList(std::initializer_list<UidlEntry> entries) {
  for (const UidlEntry& e : entries) Append(e.uid, e.number);
}

UidlList::UidlList(UidlList&& other) noexcept { swap(other); }

UidlList& UidlList::operator=(UidlList&& other) noexcept {
  if (this != &other) {
    clear();
    swap(other);
  }
  return *this;
}

UidlList::~UidlList() { Release(charged_); }

UidlList::AppendResult UidlList::Append(std::string_view uid, std::string_view number) {
  if (uid.size() > 255 || number.size() > 255) return NotStored;
  const std::size_t need = 2 + uid.size() + number.size();
  try {
    if (blocks_.empty() || blockSize_ - blockUsed_ < need) {
      const std::size_t size = blocks_.empty() ? kFirstBlock : std::min(blockSize_ * 2, kLargestBlock);
      if (!Charge(size)) return OverBudget;
      try {
        std::unique_ptr<char[]> block(new char[size]);
        blocks_.push_back(std::move(block));
      } catch (const std::bad_alloc&) {
        Release(size);
        throw;
      }
      charged_ += size;
      blockSize_ = size;
      blockUsed_ = 0;
    }
    if (entries_.size() == entries_.capacity()) {
      // The old and the new array stand side by side while it grows.
      const std::size_t wanted = entries_.empty() ? 16 : entries_.capacity() * 2;
      const std::size_t oldBytes = entries_.capacity() * sizeof(const char*);
      const std::size_t newBytes = wanted * sizeof(const char*);
      if (!Charge(newBytes)) return OverBudget;
      try {
        entries_.reserve(wanted);
      } catch (const std::bad_alloc&) {
        Release(newBytes);
        throw;
      }
      Release(oldBytes);
      charged_ += newBytes - oldBytes;
    }
  } catch (const std::bad_alloc&) {
    return NotStored;
  }
  char* at = blocks_.back().get() + blockUsed_;
  at[0] = static_cast<char>(uid.size());
  at[1] = static_cast<char>(number.size());
  std::memcpy(at + 2, number.data(), number.size());
  std::memcpy(at + 2 + number.size(), uid.data(), uid.size());
  blockUsed_ += need;
  entries_.push_back(at);
  return Added;
}

void UidlList::clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  blocks_.clear();
  blockSize_ = blockUsed_ = 0;
  Release(charged_);
  charged_ = 0;
}

void UidlList::swap(UidlList& other) noexcept {
  entries_.swap(other.entries_);
  blocks_.swap(other.blocks_);
  std::swap(blockSize_, other.blockSize_);
  std::swap(blockUsed_, other.blockUsed_);
  std::swap(charged_, other.charged_);
}

UidlEntry UidlList::operator[](std::size_t index) const {
  const char* at = entries_[index];
  const auto uidLength = static_cast<unsigned char>(at[0]);
  const auto numberLength = static_cast<unsigned char>(at[1]);
  return {std::string_view(at + 2 + numberLength, uidLength), std::string_view(at + 2, numberLength)};
}

namespace {

// Calls `fresh` with the position of every entry of `current` whose UID
// `previous` lacks, in listing order; false (nothing called) when the
// table cannot be had.
template <class Fresh>
bool ForEachNewUid(const UidlList& current, const UidlList& previous, Fresh fresh) {
  // An open-addressed table of positions in `previous` keeps large
  // mailboxes linear at four bytes a slot.
  std::size_t slots = 16;
  while (slots < previous.size() * 2) slots *= 2;
  std::vector<std::uint32_t> table;
  try {
    table.assign(slots, 0);
  } catch (const std::bad_alloc&) {
    LogWrite("メモリ不足発生.\n");
    return false;
  }
  const std::size_t mask = slots - 1;
  std::hash<std::string_view> hash;
  for (std::size_t i = 0; i < previous.size(); ++i) {
    std::size_t s = hash(previous[i].uid) & mask;
    while (table[s] != 0) s = (s + 1) & mask;
    table[s] = static_cast<std::uint32_t>(i + 1);  // 0 marks a free slot
  }
  for (std::size_t i = 0; i < current.size(); ++i) {
    const std::string_view uid = current[i].uid;
    std::size_t s = hash(uid) & mask;
    bool seen = false;
    for (; table[s] != 0; s = (s + 1) & mask) {
      if (previous[table[s] - 1].uid == uid) {
        seen = true;
        break;
      }
    }
    if (!seen) fresh(i);
  }
  return true;
}

}  // namespace

std::int32_t CountNewUids(const UidlList& current, const UidlList& previous) {
  std::int32_t count = 0;
  if (!ForEachNewUid(current, previous, [&count](std::size_t) { ++count; }))
    return static_cast<std::int32_t>(current.size());
  return count;
}

std::vector<std::size_t> NewestNewUids(const UidlList& current, const UidlList& previous, std::size_t limit) {
  // The last `limit` found, kept in a ring as the listing is walked.
  std::vector<std::size_t> ring;
  std::size_t found = 0;
  auto keep = [&](std::size_t i) {
    if (ring.size() < limit) ring.push_back(i);
    else if (limit > 0) ring[found % limit] = i;
    ++found;
  };
  if (!ForEachNewUid(current, previous, keep)) {
    ring.clear();
    found = 0;
    for (std::size_t i = 0; i < current.size(); ++i) keep(i);
  }
  std::vector<std::size_t> newest;
  for (std::size_t k = 0; k < ring.size(); ++k) newest.push_back(ring[(found - 1 - k) % ring.size()]);
  return newest;
}

}  // namespace bw
