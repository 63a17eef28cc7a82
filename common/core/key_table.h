// Key tables of the record classes: every key of a record is described in
// exactly one place — its name, id, required flag, default text and the
// typed field it sets with the way that field is read from and written to
// its value text. Reading, defaulting, writing and the configurator's field
// access all run over these tables.
#pragma once
#include <cstring>
#include <string>

#include "common/core/log.h"
#include "common/core/property_list.h"

namespace bw {

// Marks a coordinate of an optional pair as not given; never written.
constexpr int kNoCoordinate = static_cast<int>(0x80000000u);

// How a value text maps onto a record's field.
enum class FieldKind {
  kKept,          // no typed field: the property-list entry is the value
  kText,          // text as is
  kLowerText,     // text, lower-cased on reading (Shift_JIS aware)
  kInt,           // atoi; written "%d"
  kFlag,          // 1 when atoi is not 0, else 0; written "%d" of that
  kPositiveFlag,  // 1 when atoi is greater than 0, else 0
  kHex,           // strtol base 0; written "0x%04X"; sets `given` when not 0
  kPair,          // "%d,%d"; a text without two numbers gives those of the default text
  kOptionalPair,  // "%d,%d" with a `given` flag; no pair, or 0x80000000 on either
                  // side, means not given and is never written
};

// A field kind bound to the fields of one record object.
struct FieldRef {
  FieldKind kind;
  bool omits;   // a value equal to `omitted` is written as empty (left out)
  int omitted;
  std::string* text;
  int* first;
  int* second;
  int* given;
};

// Sets the bound field from a value text exactly as the record's reader does.
void ParseFieldText(const FieldRef& field, const std::string& text, const char* defaultText);
// The value text the writer folds into the property list (empty: not written).
std::string WrittenFieldText(const FieldRef& field);
// The field's value as text, also when the writer would leave it out (for
// dialogs): "15" for a CycleMinutes of 15, "0x0072" for the default kill
// method. An optional pair that is not given gives the empty text.
std::string FieldValueText(const FieldRef& field);

// The field of one key, as member pointers of the record class R.
template <class R>
struct Field {
  FieldKind kind;
  bool omits;
  int omitted;
  std::string R::*text;
  int R::*first;
  int R::*second;
  int R::*given;

  // One binding serves both ways: a const record is only ever formatted
  // (read through the pointers), never parsed into.
  FieldRef Bind(const R& record) const {
    R& r = const_cast<R&>(record);
    return FieldRef{kind,
                    omits,
                    omitted,
                    text ? &(r.*text) : nullptr,
                    first ? &(r.*first) : nullptr,
                    second ? &(r.*second) : nullptr,
                    given ? &(r.*given) : nullptr};
  }
};

// Field builders for the tables. `omitted` is the value written as empty.
template <class R>
constexpr Field<R> KeptField() {
  return {FieldKind::kKept, false, 0, nullptr, nullptr, nullptr, nullptr};
}
template <class R>
constexpr Field<R> TextField(std::string R::*text) {
  return {FieldKind::kText, false, 0, text, nullptr, nullptr, nullptr};
}
template <class R>
constexpr Field<R> LowerTextField(std::string R::*text) {
  return {FieldKind::kLowerText, false, 0, text, nullptr, nullptr, nullptr};
}
template <class R>
constexpr Field<R> IntField(int R::*value, int omitted) {
  return {FieldKind::kInt, true, omitted, nullptr, value, nullptr, nullptr};
}
template <class R>
constexpr Field<R> IntFieldAlways(int R::*value) {
  return {FieldKind::kInt, false, 0, nullptr, value, nullptr, nullptr};
}
template <class R>
constexpr Field<R> FlagField(int R::*value, int omitted) {
  return {FieldKind::kFlag, true, omitted, nullptr, value, nullptr, nullptr};
}
template <class R>
constexpr Field<R> PositiveFlagField(int R::*value) {
  return {FieldKind::kPositiveFlag, true, 0, nullptr, value, nullptr, nullptr};
}
template <class R>
constexpr Field<R> HexField(int R::*value, int omitted, int R::*given = nullptr) {
  return {FieldKind::kHex, true, omitted, nullptr, value, nullptr, given};
}
template <class R>
constexpr Field<R> PairField(int R::*first, int R::*second) {
  return {FieldKind::kPair, false, 0, nullptr, first, second, nullptr};
}
template <class R>
constexpr Field<R> OptionalPairField(int R::*given, int R::*first, int R::*second) {
  return {FieldKind::kOptionalPair, false, 0, nullptr, first, second, given};
}

// One entry of a record class's constant key table. A table ends with an
// entry without a name whose id is one above the last.
template <class R>
struct KeyTableEntry {
  const char* name;
  int id;
  bool required;
  const char* defaultText;
  Field<R> field;
};

// How ParseValues reads a key that has no entry: as the empty text (account,
// controller) or as its default text (auto-exec and menu records, whose
// absent ExecutionInputTO means 5000 while an empty one means 0).
enum class AbsentKey { kReadsEmpty, kReadsDefault };

// Results of SetKeyText.
enum : int {
  kSetOk = 0,
  kSetUnknownKey = -1,
  kSetUnstorable = -2,  // a line break, NUL or Ctrl-Z, "{" or "}", or too long for one line
  kSetRequiredEmpty = -10,
};

// Normalises a dialog's text as reading it back from the file would (trailing
// bytes of 0x20 and below and leading control bytes dropped). False when the
// text cannot be stored in one parameter-file line: it holds a line break, a
// NUL or a Ctrl-Z, its line at `depth` tabs would be read in pieces, or it
// is "{" or "}", which the reader takes for a block's opening or closing.
bool NormaliseValueText(const char* key, int depth, std::string* text);

template <class R>
const KeyTableEntry<R>* FindKeyById(const KeyTableEntry<R>* table, int id) {
  for (; table->name; ++table)
    if (table->id == id) return table;
  return nullptr;
}

template <class R>
const KeyTableEntry<R>* FindKeyByName(const KeyTableEntry<R>* table, const char* name) {
  for (; table->name; ++table)
    if (std::strcmp(table->name, name) == 0) return table;
  return nullptr;
}

template <class R>
const char* TableKeyName(const KeyTableEntry<R>* table, int id) {
  const KeyTableEntry<R>* k = FindKeyById(table, id);
  return k ? k->name : nullptr;
}

template <class R>
const char* TableDefaultText(const KeyTableEntry<R>* table, int id) {
  const KeyTableEntry<R>* k = FindKeyById(table, id);
  return k ? k->defaultText : nullptr;
}

// A key line of the block: appended when the key is in the table.
// 1 added, 0 unknown key, -1 out of memory.
template <class R>
int AddTableKeyLine(const KeyTableEntry<R>* table, PropertyList& properties, const char* key,
                    const char* value) {
  if (!FindKeyByName(table, key)) return 0;
  return properties.Append(key, value) ? 1 : -1;
}

// Logs `missingFormat` with the first required key (table order) whose value
// is empty or absent and returns -10; 0 when all are there.
template <class R>
int CheckTableRequired(const KeyTableEntry<R>* table, const PropertyList& properties,
                       const char* missingFormat) {
  for (const KeyTableEntry<R>* k = table; k->name; ++k) {
    if (k->required && properties.FindValue(k->name).empty()) {
      LogWrite(missingFormat, k->name);
      return -10;
    }
  }
  return 0;
}

// Appends (key, default text) for every table key the list lacks, in table
// order. 0, or -1 when an entry could not be created (the rest are skipped).
template <class R>
int AppendTableDefaults(const KeyTableEntry<R>* table, PropertyList& properties) {
  for (const KeyTableEntry<R>* k = table; k->name; ++k)
    if (!properties.FindEntry(k->name) && !properties.Append(k->name, k->defaultText)) return -1;
  return 0;
}

// Sets every typed field from the property list.
template <class R>
void ParseTableValues(const KeyTableEntry<R>* table, R& record, const PropertyList& properties,
                      AbsentKey absent) {
  for (const KeyTableEntry<R>* k = table; k->name; ++k) {
    if (k->field.kind == FieldKind::kKept) continue;
    const PropertyEntry* e = properties.FindEntry(k->name);
    const std::string text =
        e ? e->value : absent == AbsentKey::kReadsDefault ? std::string(k->defaultText) : std::string();
    ParseFieldText(k->field.Bind(record), text, k->defaultText);
  }
}

// Writing step 1: the typed fields folded into the property list in table
// order; the first entry with the key gets the text, or one is appended.
template <class R>
void FoldTableValues(const KeyTableEntry<R>* table, const R& record, PropertyList& properties) {
  for (const KeyTableEntry<R>* k = table; k->name; ++k)
    if (k->field.kind != FieldKind::kKept)
      properties.SetOrAppend(k->name, WrittenFieldText(k->field.Bind(record)));
}

// ResetToDefault: the field from the default text; an existing entry takes
// the default text (none is appended). An unknown id does nothing.
template <class R>
void ResetTableKey(const KeyTableEntry<R>* table, R& record, PropertyList& properties, int id) {
  const KeyTableEntry<R>* k = FindKeyById(table, id);
  if (!k) return;
  if (k->field.kind != FieldKind::kKept) ParseFieldText(k->field.Bind(record), k->defaultText, k->defaultText);
  if (PropertyEntry* e = properties.FindEntry(k->name)) e->value = k->defaultText;
}

// The configurator's read of one key: the field's value as text (see
// FieldValueText); for a key without a typed field, its entry's value, or
// the default text when the record has no entry. False for an unknown id.
template <class R>
bool GetTableKeyText(const KeyTableEntry<R>* table, const R& record,
                     const PropertyList& properties, int id, std::string* text) {
  const KeyTableEntry<R>* k = FindKeyById(table, id);
  if (!k) return false;
  if (k->field.kind != FieldKind::kKept) {
    *text = FieldValueText(k->field.Bind(record));
  } else {
    const PropertyEntry* e = properties.FindEntry(k->name);
    *text = e ? e->value : k->defaultText;
  }
  return true;
}

// The configurator's write of one key, validated as the reader would see the
// text: normalised like a value read back from the file, refused when it
// cannot be stored on one line or when a required key would be empty. The
// field is set as the reader sets it; an existing entry takes the text, and a
// key without a typed field gets an entry when it has none.
template <class R>
int SetTableKeyText(const KeyTableEntry<R>* table, R& record, PropertyList& properties, int id,
                    std::string text, int depth) {
  const KeyTableEntry<R>* k = FindKeyById(table, id);
  if (!k) return kSetUnknownKey;
  if (!NormaliseValueText(k->name, depth, &text)) return kSetUnstorable;
  if (k->required && text.empty()) return kSetRequiredEmpty;
  if (k->field.kind != FieldKind::kKept) {
    ParseFieldText(k->field.Bind(record), text, k->defaultText);
    if (PropertyEntry* e = properties.FindEntry(k->name)) e->value = text;
  } else {
    properties.SetOrAppend(k->name, text);
  }
  return kSetOk;
}

}  // namespace bw
