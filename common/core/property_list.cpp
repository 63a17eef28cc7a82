// PropertyList look-up and append.
#include "common/core/property_list.h"

#include <new>

namespace bw {

PropertyEntry* PropertyList::FindEntry(const std::string& key) {
  if (key.empty()) return nullptr;
  for (PropertyEntry& e : entries_)
    if (e.key == key) return &e;
  return nullptr;
}

const PropertyEntry* PropertyList::FindEntry(const std::string& key) const {
  return const_cast<PropertyList*>(this)->FindEntry(key);
}

const std::string& PropertyList::FindValue(const std::string& key) const {
  static const std::string kEmpty;
  const PropertyEntry* e = FindEntry(key);
  return e ? e->value : kEmpty;
}

PropertyEntry* PropertyList::Append(const std::string& key, const std::string& value) {
  try {
    entries_.push_back(PropertyEntry{key, value});
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return &entries_.back();
}

void PropertyList::SetOrAppend(const std::string& key, const std::string& value) {
  if (PropertyEntry* e = FindEntry(key)) {
    e->value = value;
  } else {
    Append(key, value);
  }
}

}  // namespace bw
