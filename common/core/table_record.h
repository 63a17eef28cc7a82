// The base of the record classes: a record's property list and what its key
// table does on it (names, defaults, parsing into the typed fields, folding
// back, the configurator's field access by key id), written once for all of
// them; each record class names its table, line depth and absent-key rule.
#pragma once
#include <string>

#include "common/core/key_table.h"
#include "common/core/property_list.h"

namespace bw {

// R is the record class itself; its key lines stand at `LineDepth` tabs in
// the file (which bounds how long a value may be).
template <class R, const KeyTableEntry<R>* Table, int LineDepth, AbsentKey Absent>
class TableRecord {
 public:
  virtual ~TableRecord() = default;

  // The table key's name and default text; nullptr for an unknown id.
  const char* KeyName(int id) const { return TableKeyName(Table, id); }
  const char* DefaultText(int id) const { return TableDefaultText(Table, id); }
  // The field and an existing entry back to the default text.
  void ResetToDefault(int id) { ResetTableKey(Table, Self(), properties, id); }
  // Appends the default text of every key the record lacks; 0, or -1 when
  // an entry could not be created.
  int ApplyDefaults() { return AppendTableDefaults(Table, properties); }
  // Sets every typed field from the property list.
  virtual void ParseValues() { ParseTableValues(Table, Self(), properties, Absent); }
  // A key line of the block: 1 added, 0 unknown key, -1 out of memory.
  virtual int AddKeyLine(const char* key, const char* value) {
    return AddTableKeyLine(Table, properties, key, value);
  }

  // Field access by key id for the configurator's dialogs. KeyText gives
  // the field's value as text (also one the file leaves out, "15" for the
  // default CycleMinutes); false for an unknown id. SetKeyText stores a
  // dialog's text as reading it from the file would: kSetOk,
  // kSetUnknownKey, kSetUnstorable (a line break, NUL or Ctrl-Z, or a line
  // too long to be read back whole) or kSetRequiredEmpty.
  bool KeyText(int id, std::string* text) const {
    return GetTableKeyText(Table, Self(), properties, id, text);
  }
  virtual int SetKeyText(int id, const std::string& text) {
    return SetTableKeyText(Table, Self(), properties, id, text, LineDepth);
  }

  PropertyList properties;

 protected:
  static constexpr int kLineDepth = LineDepth;

  // Writing step 1: the typed fields folded into the property list.
  void FoldValues() { FoldTableValues(Table, Self(), properties); }
  // Logs `missingFormat` with the first required key that is empty or
  // absent and returns -10; 0 when all are there.
  int CheckRequired(const char* missingFormat) const {
    return CheckTableRequired(Table, properties, missingFormat);
  }

 private:
  R& Self() { return static_cast<R&>(*this); }
  const R& Self() const { return static_cast<const R&>(*this); }
};

}  // namespace bw
