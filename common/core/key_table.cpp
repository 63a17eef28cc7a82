// Value-text conversions of the key tables' field kinds (see key_table.h).
#include "common/core/key_table.h"

#include "common/core/param_syntax.h"
#include "common/core/sjis.h"

namespace bw {
namespace {

std::string PairText(int a, int b) { return FormatInt("%d,", a) + FormatInt("%d", b); }

bool OptionalPairGiven(const FieldRef& f) {
  return *f.given && *f.first != kNoCoordinate && *f.second != kNoCoordinate;
}

}  // namespace

void ParseFieldText(const FieldRef& f, const std::string& text, const char* defaultText) {
  switch (f.kind) {
    case FieldKind::kKept:
      break;
    case FieldKind::kText:
      *f.text = text;
      break;
    case FieldKind::kLowerText:
      *f.text = text;
      LowerCaseSjis(*f.text);
      break;
    case FieldKind::kInt:
      *f.first = AtoiValue(text);
      break;
    case FieldKind::kFlag:
      *f.first = AtoiValue(text) != 0;
      break;
    case FieldKind::kPositiveFlag:
      *f.first = AtoiValue(text) > 0;
      break;
    case FieldKind::kHex:
      *f.first = static_cast<int>(StrtolValue(text));
      if (f.given) *f.given = *f.first != 0;
      break;
    case FieldKind::kPair:
      if (!ScanPair(text, f.first, f.second) && !ScanPair(defaultText, f.first, f.second))
        *f.first = *f.second = 0;
      break;
    case FieldKind::kOptionalPair: {
      int a, b;
      *f.given = ScanPair(text, &a, &b) && a != kNoCoordinate && b != kNoCoordinate;
      *f.first = *f.given ? a : kNoCoordinate;
      *f.second = *f.given ? b : kNoCoordinate;
      break;
    }
  }
}

std::string WrittenFieldText(const FieldRef& f) {
  switch (f.kind) {
    case FieldKind::kKept:
      return std::string();
    case FieldKind::kText:
    case FieldKind::kLowerText:
      return *f.text;
    case FieldKind::kInt:
      return f.omits && *f.first == f.omitted ? std::string() : FormatInt("%d", *f.first);
    case FieldKind::kFlag:
    case FieldKind::kPositiveFlag: {
      // A flag is written as 0 or 1 whatever number the field holds.
      const int flag = *f.first != 0;
      return f.omits && flag == f.omitted ? std::string() : FormatInt("%d", flag);
    }
    case FieldKind::kHex:
      return f.omits && *f.first == f.omitted ? std::string() : FormatInt("0x%04X", *f.first);
    case FieldKind::kPair:
      return PairText(*f.first, *f.second);
    case FieldKind::kOptionalPair:
      return OptionalPairGiven(f) ? PairText(*f.first, *f.second) : std::string();
  }
  return std::string();
}

std::string FieldValueText(const FieldRef& f) {
  switch (f.kind) {
    case FieldKind::kInt:
      return FormatInt("%d", *f.first);
    case FieldKind::kFlag:
    case FieldKind::kPositiveFlag:
      return FormatInt("%d", *f.first != 0);
    case FieldKind::kHex:
      return FormatInt("0x%04X", *f.first);
    default:
      return WrittenFieldText(f);
  }
}

bool NormaliseValueText(const char* key, int depth, std::string* text) {
  for (char c : *text)
    if (c == '\0' || c == '\r' || c == '\n' || c == '\x1A') return false;
  // As the tokenizer reads a value: trailing bytes of 0x20 and below are
  // trimmed, control bytes after the separator are skipped.
  size_t end = text->size();
  while (end > 0 && static_cast<unsigned char>((*text)[end - 1]) <= 0x20) --end;
  size_t begin = 0;
  while (begin < end && static_cast<unsigned char>((*text)[begin]) < 0x20) ++begin;
  *text = text->substr(begin, end - begin);
  // An empty value is not written at all; any other must come back from
  // its line as it is (within one piece of the buffer, and neither "{" nor
  // "}", which would open or close a block).
  return text->empty() || ValueReadsBack(depth, key, *text);
}

}  // namespace bw
