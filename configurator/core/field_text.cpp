// Number boxes and path parts of the configurator's dialog models.
#include "configurator/core/field_text.h"

#include <cstdio>

#include "common/core/sjis.h"

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

std::string WorkingFolderOf(const std::string& path) {
  return WithoutTrailingSeparator(FolderPart(path));
}

std::string LowerCased(std::string text) {
  LowerCaseSjis(text);
  return text;
}

}  // namespace bw
