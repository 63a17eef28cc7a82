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

// One pair, viewing bytes the list owns (valid until the list changes).
struct UidlEntry {
  std::string_view uid;
  std::string_view number;
};

class UidlList {
 public:
  UidlList() = default;
  UidlList(std::initializer_list<UidlEntry> entries);
  UidlList(UidlList&&) noexcept = default;
  UidlList& operator=(UidlList&&) noexcept = default;
  UidlList(const UidlList&) = delete;
  UidlList& operator=(const UidlList&) = delete;

  // Appends a pair; false when no memory could be had for it or a part is
  // longer than 255 bytes (the list is then unchanged).
  bool Append(std::string_view uid, std::string_view number);
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
};

// How many entries of `current` have a UID that `previous` lacks (exact
// byte comparison), in time linear in both lists.
std::int32_t CountNewUids(const UidlList& current, const UidlList& previous);

}  // namespace bw
