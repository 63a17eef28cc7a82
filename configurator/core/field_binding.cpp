// Draft, binding rows and their checks (see field_binding.h).
#include "configurator/core/field_binding.h"

#include <cstdio>

#include "common/core/param_syntax.h"

namespace bw {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

NumberCheck ReadNumberField(const std::string& text, long long lo, long long hi, int* value) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  size_t digitsStart = i;
  // Accumulated with a ceiling far above any int, so a long run of digits
  // reads as out of range instead of wrapping around.
  const long long ceiling = 1LL << 40;
  long long magnitude = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    if (magnitude < ceiling) magnitude = magnitude * 10 + (text[i] - '0');
    ++i;
  }
  if (i == digitsStart) return NumberCheck::kNotNumber;
  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) return NumberCheck::kNotNumber;
  long long v = negative ? -magnitude : magnitude;
  if (v < lo || v > hi) return NumberCheck::kOutOfRange;
  *value = static_cast<int>(v);
  return NumberCheck::kOk;
}

std::string NumberMessage(NumberCheck check, long long lo, long long hi) {
  if (check == NumberCheck::kOk) return std::string();
  if (check == NumberCheck::kNotNumber) return "整数を入力してください.";
  char text[96];
  std::snprintf(text, sizeof text, "%lld から %lld までの整数を入力してください.", lo, hi);
  return text;
}

std::string LengthMessage(int maxLength) {
  char text[64];
  std::snprintf(text, sizeof text, "%d 文字以内で入力してください.", maxLength);
  return text;
}

const std::string& RecordDraft::Text(int key) const {
  static const std::string kNone;
  auto it = values_.find(key);
  return it == values_.end() ? kNone : it->second;
}

namespace {
FieldBinding Row(int control, int key, BindKind kind, int page, int lo, int hi,
                 const char* required) {
  return FieldBinding{control, key, kind, page, lo, hi, required, {}, NoChoice::kKeepsValue, 0, 0, -1, {}, 0, -1};
}
}  // namespace

FieldBinding TextBinding(int control, int key, int page, int maxLength, const char* required) {
  return Row(control, key, BindKind::kText, page, 0, maxLength, required);
}
FieldBinding WaivedBy(FieldBinding row, int key) {
  row.waivedBy = key;
  return row;
}
FieldBinding MaskedBinding(int control, int key, int page, const char* required) {
  return Row(control, key, BindKind::kMasked, page, 0, 0, required);
}
FieldBinding NumberBinding(int control, int key, int page, int lo, int hi) {
  return Row(control, key, BindKind::kNumber, page, lo, hi, nullptr);
}
FieldBinding PairPartBinding(int control, int key, int part, int page, int lo, int hi) {
  FieldBinding row = Row(control, key, BindKind::kNumber, page, lo, hi, nullptr);
  row.part = part;
  return row;
}
FieldBinding CheckBinding(int control, int key, int page) {
  return Row(control, key, BindKind::kCheck, page, 0, 1, nullptr);
}
FieldBinding ComboBinding(int control, int key, int page, std::vector<const char*> choices,
                          NoChoice noChoice) {
  FieldBinding row = Row(control, key, BindKind::kComboIndex, page, 0, 0, nullptr);
  row.hi = static_cast<int>(choices.size()) - 1;
  row.choices = std::move(choices);
  row.noChoice = noChoice;
  return row;
}
FieldBinding ChoiceRowBinding(int defaultRadio, int changeRadio, int edit, int key, int page,
                              int lo, int hi) {
  FieldBinding row = Row(edit, key, BindKind::kChoiceRow, page, lo, hi, nullptr);
  row.defaultRadio = defaultRadio;
  row.changeRadio = changeRadio;
  return row;
}

FieldBinding FlagBinding(int control, int key, int page) {
  return Row(control, key, BindKind::kFlag, page, 0, 1, nullptr);
}
FieldBinding RadioGroupBinding(std::vector<int> radios, int key, int page,
                               std::vector<const char*> values) {
  FieldBinding row = Row(radios.front(), key, BindKind::kRadioGroup, page, 0, 0, nullptr);
  row.controls = std::move(radios);
  row.choices = std::move(values);
  return row;
}
FieldBinding OptionalPairBinding(int check, int firstEdit, int secondEdit, int key, int page,
                                 int lo, int hi) {
  FieldBinding row = Row(check, key, BindKind::kOptionalPair, page, lo, hi, nullptr);
  row.controls = {firstEdit, secondEdit};
  return row;
}
FieldBinding ComboBitsBinding(int control, int key, int page, unsigned mask,
                              std::vector<const char*> choices) {
  FieldBinding row = Row(control, key, BindKind::kComboIndex, page, 0, 0, nullptr);
  row.kind = BindKind::kComboBits;
  row.hi = static_cast<int>(choices.size()) - 1;
  row.choices = std::move(choices);
  row.mask = mask;
  return row;
}

FieldBinding CheckBitBinding(int control, int key, int page, unsigned mask) {
  FieldBinding row = Row(control, key, BindKind::kCheckBit, page, 0, 1, nullptr);
  row.mask = mask;
  return row;
}

std::string BoundText(const FieldBinding& row, const RecordDraft& draft) {
  const std::string& text = draft.Text(row.key);
  if (row.part < 0) return text;
  int first = 0, second = 0;
  ScanPair(text, &first, &second);
  return FormatInt("%d", row.part == 0 ? first : second);
}

void SetBoundText(const FieldBinding& row, const std::string& value, RecordDraft& draft) {
  if (row.part < 0) {
    draft.Set(row.key, value);
    return;
  }
  int pair[2] = {0, 0};
  ScanPair(draft.Text(row.key), &pair[0], &pair[1]);
  pair[row.part] = AtoiValue(value);
  draft.Set(row.key, FormatInt("%d,", pair[0]) + FormatInt("%d", pair[1]));
}

std::string CheckBoundText(const FieldBinding& row, const std::string& text, std::string* value) {
  switch (row.kind) {
    case BindKind::kNumber:
    case BindKind::kChoiceRow: {
      int number = 0;
      const NumberCheck check = ReadNumberField(text, row.lo, row.hi, &number);
      if (check != NumberCheck::kOk) return NumberMessage(check, row.lo, row.hi);
      *value = FormatInt("%d", number);
      return std::string();
    }
    case BindKind::kText:
      if (row.hi > 0 && text.size() > static_cast<size_t>(row.hi)) return LengthMessage(row.hi);
      *value = text;
      return std::string();
    default:
      *value = text;
      return std::string();
  }
}

size_t RadioIndex(const FieldBinding& row, const std::string& value) {
  for (size_t i = 0; i < row.choices.size(); ++i)
    if (AtoiValue(row.choices[i]) == AtoiValue(value)) return i;
  return 0;
}

namespace {
// The lowest bit of the mask: where a list's index starts in the value.
unsigned MaskShift(unsigned mask) {
  unsigned shift = 0;
  while (mask && !(mask & 1u)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}
}  // namespace

int ComboBitsIndex(const FieldBinding& row, const std::string& value) {
  const unsigned bits = static_cast<unsigned>(StrtolValue(value)) & row.mask;
  const int index = static_cast<int>(bits >> MaskShift(row.mask));
  return index <= row.hi ? index : 0;
}

std::string WithComboBits(const FieldBinding& row, const std::string& value, int index) {
  const unsigned rest = static_cast<unsigned>(StrtolValue(value)) & ~row.mask;
  const unsigned bits = (static_cast<unsigned>(index) << MaskShift(row.mask)) & row.mask;
  return FormatInt("0x%04X", static_cast<int>(rest | bits));
}

bool BitChecked(const FieldBinding& row, const std::string& value) {
  return (static_cast<unsigned>(StrtolValue(value)) & row.mask) != 0;
}

std::string WithBit(const FieldBinding& row, const std::string& value, bool checked) {
  const unsigned bits = static_cast<unsigned>(StrtolValue(value));
  return FormatInt("0x%04X", static_cast<int>(checked ? bits | row.mask : bits & ~row.mask));
}

std::string CheckPairBoxes(const FieldBinding& row, bool given, const std::string& first,
                           const std::string& second, std::string* value, int* part) {
  if (!given) {
    value->clear();
    return std::string();
  }
  int numbers[2] = {0, 0};
  const std::string* texts[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    const NumberCheck check = ReadNumberField(*texts[i], row.lo, row.hi, &numbers[i]);
    if (check != NumberCheck::kOk) {
      *part = i;
      return NumberMessage(check, row.lo, row.hi);
    }
  }
  *value = FormatInt("%d,", numbers[0]) + FormatInt("%d", numbers[1]);
  return std::string();
}

std::string ChoiceValue(const FieldBinding& row, bool change) {
  return FormatInt("%d", change ? row.hi : row.lo);
}

namespace {
// A text the parameter file would keep as empty: its lines lose trailing
// blanks and leading control bytes, so only blanks are no value at all.
bool Blank(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20) return false;
  return true;
}
}  // namespace

std::string RequiredFieldsMessage(const BindingTable& table, const RecordDraft& draft) {
  std::string text;
  for (const FieldBinding& row : table)
    if (row.required && Blank(draft.Text(row.key)) &&
        (row.waivedBy < 0 || AtoiValue(draft.Text(row.waivedBy)) == 0))
      text += row.required;
  return text;
}

}  // namespace bw
