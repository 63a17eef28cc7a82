// The ordered key and value lines of one record block, kept as read so a
// block is written back with its keys in file order.
#pragma once
#include <deque>
#include <string>

namespace bw {

struct PropertyEntry {
  std::string key;
  std::string value;
};

class PropertyList {
 public:
  // The first entry with exactly this key; none when the key is empty or
  // absent. Duplicate keys are allowed and only the first is ever found.
  PropertyEntry* FindEntry(const std::string& key);
  const PropertyEntry* FindEntry(const std::string& key) const;
  // That entry's value, or a shared empty text.
  const std::string& FindValue(const std::string& key) const;

  // Appends an entry at the end. Returns it, or none when memory ran out.
  PropertyEntry* Append(const std::string& key, const std::string& value);
  PropertyEntry* AppendCopy(const PropertyEntry& entry) {
    return Append(entry.key, entry.value);
  }
  // The first entry with the key gets the value; without one, a new entry is
  // appended. This is how records fold their typed fields in before writing.
  void SetOrAppend(const std::string& key, const std::string& value);

  // Every entry with the key gets an empty value, so none of them is
  // written (duplicates included).
  void ClearValues(const std::string& key) {
    for (PropertyEntry& e : entries_)
      if (e.key == key) e.value.clear();
  }

  void Clear() { entries_.clear(); }
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::deque<PropertyEntry>& Entries() const { return entries_; }

 private:
  // A deque keeps references stable while entries are appended.
  std::deque<PropertyEntry> entries_;
};

}  // namespace bw
