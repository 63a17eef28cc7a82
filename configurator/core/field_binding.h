// Dialog fields bound to record keys, without any window: the draft a
// dialog edits (key id -> value text, read from a record through its key
// table and stored back all or nothing), the binding rows that tie a
// control to a key with its kind and limits, and how a row's text is
// checked. The bound dialog (configurator/win32/bound_dialog.h) moves the
// rows' values between the controls and a draft; a dialog's model holds its rows.
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/core/key_table.h"

namespace bw {

// ---- Number and length checks ----

enum class NumberCheck { kOk, kNotNumber, kOutOfRange };

// Reads a number box's text: optional spaces, an optional sign, decimal
// digits, optional spaces. A value outside lo..hi (overflow included) is out
// of range; *value is written only when the result is kOk.
NumberCheck ReadNumberField(const std::string& text, long long lo, long long hi, int* value);

// The validation texts a number or length check shows.
std::string NumberMessage(NumberCheck check, long long lo, long long hi);
std::string LengthMessage(int maxLength);

// ---- The draft ----

// The value texts of a record's table keys, as a dialog edits them.
class RecordDraft {
 public:
  // The key's text; empty for a key the draft does not hold.
  const std::string& Text(int key) const;
  bool Has(int key) const { return values_.count(key) != 0; }
  void Set(int key, std::string text) { values_[key] = std::move(text); }

 private:
  std::map<int, std::string> values_;
};

// Every key of the record's table, as the record gives it (KeyText).
template <class R>
RecordDraft DraftOf(const KeyTableEntry<R>* table, const R& record) {
  RecordDraft draft;
  std::string text;
  for (const KeyTableEntry<R>* k = table; k->name; ++k)
    if (record.KeyText(k->id, &text)) draft.Set(k->id, text);
  return draft;
}

// Stores every key the draft holds into the record, or none: each text is
// tried on a scratch record first, in table order, and the first refusal
// of SetKeyText is returned with the record untouched; kSetOk otherwise.
// Every key is set twice, so that a key whose check depends on a later one
// (a password, required only without a sign-in provider) sees the draft's
// value of that key, not the record's.
template <class R>
int StoreDraft(const KeyTableEntry<R>* table, const RecordDraft& draft, R& record) {
  R probe;
  for (int pass = 0; pass < 2; ++pass) {
    for (const KeyTableEntry<R>* k = table; k->name; ++k) {
      if (!draft.Has(k->id)) continue;
      const int result = probe.SetKeyText(k->id, draft.Text(k->id));
      if (pass == 1 && result != kSetOk) return result;
    }
  }
  for (int pass = 0; pass < 2; ++pass)
    for (const KeyTableEntry<R>* k = table; k->name; ++k)
      if (draft.Has(k->id)) record.SetKeyText(k->id, draft.Text(k->id));
  return kSetOk;
}

// ---- Binding rows ----

// The page a dialog's own fields stand on (pages count from 0).
constexpr int kNoPage = -1;

// What a drop-down list with nothing chosen reads as.
enum class NoChoice { kKeepsValue, kFirstEntry };

enum class BindKind {
  kText,        // edit box: its text, at most `hi` bytes when hi > 0
  kMasked,      // edit box that may show a placeholder: the dialog keeps the real text
  kNumber,      // number edit: lo..hi
  kCheck,       // check box: "1" checked, "0" not
  kComboIndex,  // drop-down list of `choices`: the chosen index; a value
                // outside the list selects nothing (see `noChoice`)
  kChoiceRow,   // radio pair and number edit: `defaultRadio` holds lo with
                // the edit disabled, `changeRadio` enables the edit, lo..hi
  kFlag,        // check box of a flag key: "1" checked, "" not
  kRadioGroup,  // radios `controls` (consecutive ids), one per value text
                // of `choices`; a value no radio stands for checks the first
  kOptionalPair,  // check box telling whether a "%d,%d" key is given ("" when
                  // not), and the number edits `controls` of its two
                  // numbers, lo..hi, enabled while the box is checked
  kComboBits,   // drop-down list of `choices` whose index is the bits `mask`
                // of a number key written "0x%04X"; bits beyond the list
                // select the first entry
  kCheckBit,    // check box of the bits `mask` of a number key written "0x%04X"
};

struct FieldBinding {
  int control;  // the edit, check box or list (kChoiceRow: the number edit)
  int key;      // the record key id
  BindKind kind;
  int page;     // kNoPage or the page holding the control
  int lo, hi;
  // The required-field line shown when the value is blank; none when the
  // field may stay empty.
  const char* required;
  std::vector<const char*> choices;  // kComboIndex
  NoChoice noChoice;                 // kComboIndex
  int defaultRadio, changeRadio;     // kChoiceRow
  // -1: the key's whole text; 0 or 1: that number of a "%d,%d" pair key
  // (a position or a size), each in a control of its own.
  int part;
  std::vector<int> controls;  // kRadioGroup: the radios; kOptionalPair: the edits
  unsigned mask;              // kComboBits, kCheckBit
  // The key that makes a required row optional while its draft number is
  // not 0 (a password with a sign-in provider chosen); -1: none.
  int waivedBy;
};

// A dialog's rows, in the order OK reads them.
struct BindingTable {
  const FieldBinding* rows;
  size_t count;
  const FieldBinding* begin() const { return rows; }
  const FieldBinding* end() const { return rows + count; }
};

// The keys the rows bind, as the record gives them (KeyText): the draft of
// a dialog that edits part of a record, which StoreDraft then stores alone.
template <class R>
RecordDraft DraftOf(const BindingTable& table, const R& record) {
  RecordDraft draft;
  std::string text;
  for (const FieldBinding& row : table)
    if (record.KeyText(row.key, &text)) draft.Set(row.key, text);
  return draft;
}

// StoreDraft for a dialog's draft: the keys its rows bind first, in row
// order (the order in which a record lacking a key's line appends it), then
// the draft's other keys of the table in table order; keys the table does
// not know (a dialog's own) are left to the dialog. All or none.
template <class R>
int StoreBoundDraft(const KeyTableEntry<R>* table, const BindingTable& rows,
                    const RecordDraft& draft, R& record) {
  std::vector<int> keys;
  auto add = [&](int key) {
    if (!draft.Has(key) || !FindKeyById(table, key)) return;
    for (int k : keys)
      if (k == key) return;
    keys.push_back(key);
  };
  for (const FieldBinding& row : rows) add(row.key);
  for (const KeyTableEntry<R>* k = table; k->name; ++k) add(k->id);
  R probe;
  for (int key : keys) {
    const int result = probe.SetKeyText(key, draft.Text(key));
    if (result != kSetOk) return result;
  }
  for (int key : keys) record.SetKeyText(key, draft.Text(key));
  return kSetOk;
}

// Row builders.
FieldBinding TextBinding(int control, int key, int page, int maxLength,
                         const char* required = nullptr);
FieldBinding MaskedBinding(int control, int key, int page, const char* required = nullptr);
FieldBinding NumberBinding(int control, int key, int page, int lo, int hi);
// A number edit holding one number (part 0 or 1) of a pair key.
FieldBinding PairPartBinding(int control, int key, int part, int page, int lo, int hi);
FieldBinding CheckBinding(int control, int key, int page);
FieldBinding ComboBinding(int control, int key, int page, std::vector<const char*> choices,
                          NoChoice noChoice = NoChoice::kKeepsValue);
FieldBinding ChoiceRowBinding(int defaultRadio, int changeRadio, int edit, int key, int page,
                              int lo, int hi);
FieldBinding FlagBinding(int control, int key, int page);
FieldBinding RadioGroupBinding(std::vector<int> radios, int key, int page,
                               std::vector<const char*> values);
FieldBinding OptionalPairBinding(int check, int firstEdit, int secondEdit, int key, int page,
                                 int lo, int hi);
FieldBinding ComboBitsBinding(int control, int key, int page, unsigned mask,
                              std::vector<const char*> choices);
FieldBinding CheckBitBinding(int control, int key, int page, unsigned mask);
// `row`, no longer required while the draft number of `key` is not 0.
FieldBinding WaivedBy(FieldBinding row, int key);

// The text a row's control shows of the draft, and the value a control's
// text puts back into it (a pair part replaces its number only).
std::string BoundText(const FieldBinding& row, const RecordDraft& draft);
void SetBoundText(const FieldBinding& row, const std::string& value, RecordDraft& draft);

// Checks the text a row's control holds (a number edit, an edit box with a
// length limit): "" and the value text to keep in *value, or the message
// that refuses it (*value untouched). Other kinds pass as they are.
std::string CheckBoundText(const FieldBinding& row, const std::string& text, std::string* value);

// A choice row's value when one of its radios is chosen: lo for the default
// radio, hi for the change radio.
std::string ChoiceValue(const FieldBinding& row, bool change);

// A radio group's radio for a value, and the value of a radio.
size_t RadioIndex(const FieldBinding& row, const std::string& value);
// A bits list's entry for a key's value, and the value with the bits of
// another entry.
int ComboBitsIndex(const FieldBinding& row, const std::string& value);
std::string WithComboBits(const FieldBinding& row, const std::string& value, int index);
// A bit box's state for a key's value, and the value with its bits set or
// cleared.
bool BitChecked(const FieldBinding& row, const std::string& value);
std::string WithBit(const FieldBinding& row, const std::string& value, bool checked);
// An optional pair's value from its box and its edits: "" when not given
// (the edits are not read), else both numbers checked in turn. A refused
// number gives its message with its part (0 or 1) in *part; *value is then
// untouched.
std::string CheckPairBoxes(const FieldBinding& row, bool given, const std::string& first,
                           const std::string& second, std::string* value, int* part);

// The required-field lines of every required row whose draft text is blank
// (the file would keep only blanks as nothing) and that no other key waives,
// in row order; "" when all are given.
std::string RequiredFieldsMessage(const BindingTable& table, const RecordDraft& draft);

}  // namespace bw
