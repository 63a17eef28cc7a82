// The UIDL memory of an account: the (UID, message number) pairs of one
// listing in listing order, stored compactly (one run of bytes per pair in
// large blocks) so that a mailbox of a million messages fits twice over in
// little memory, and the count of new UIDs against a previous listing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace bw {

// What a listing line may hold. RFC 1939 gives a UID 1 to 70 characters; a
// message number is a 32-bit decimal. A listing beyond these is refused.
constexpr std::size_t kUidMaxLength = 70;
constexpr std::size_t kMessageNumberMaxLength = 10;
constexpr std::size_t kUidlMaxEntries = 1000000;

// The listings of all accounts together (each account's memory, and the
// previous listing a check holds while it reads the next) take at most this
// much (256 MiB): hostile servers on many accounts must not exhaust a 32-bit
// process, whose threads and windows need room too.
constexpr std::size_t kUidlMemoryBudget = std::size_t(256) << 20;
// Bytes all listings hold now, and the budget in force (tests lower it; 0
// restores kUidlMemoryBudget).
std::size_t UidlMemoryHeld();
std::size_t UidlMemoryBudget();
void SetUidlMemoryBudget(std::size_t bytes);

// One pair, viewing bytes the list owns (valid until the list changes).
struct UidlEntry {
  std::string_view uid;
  std::string_view number;
};

class UidlList {
 public:
  UidlList() = default;
  UidlList(std::initializer_list<UidlEntry> entries);
  UidlList(UidlList&& other) noexcept;
  UidlList& operator=(UidlList&& other) noexcept;
  UidlList(const UidlList&) = delete;
  UidlList& operator=(const UidlList&) = delete;
  ~UidlList();

  enum AppendResult {
    Added,
    NotStored,   // no memory could be had, or a part is longer than 255 bytes
    OverBudget,  // the listings together would go beyond the budget
  };
  // Appends a pair; on failure the list is unchanged.
  AppendResult Append(std::string_view uid, std::string_view number);
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear();
  void swap(UidlList& other) noexcept;
  UidlEntry operator[](std::size_t index) const;

  class const_iterator {
   public:
    const_iterator(const UidlList* list, std::size_t index) : list_(list), index_(index) {}
    UidlEntry operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

   private:
    const UidlList* list_;
    std::size_t index_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, entries_.size()}; }

 private:
  // Each pair is stored as: UID length, number length, number, UID.
  std::vector<const char*> entries_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t blockSize_ = 0;
  std::size_t blockUsed_ = 0;
  std::size_t charged_ = 0;  // bytes of this list counted against the budget
};

// How many entries of `current` have a UID that `previous` lacks (exact
// byte comparison), in time linear in both lists.
std::int32_t CountNewUids(const UidlList& current, const UidlList& previous);
// The positions in `current` of the last `limit` entries whose UID
// `previous` lacks, the last first (all entries count as new when there is
// no memory to compare them).
std::vector<std::size_t> NewestNewUids(const UidlList& current, const UidlList& previous, std::size_t limit);

}  // namespace bw
