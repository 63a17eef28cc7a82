// Number boxes and path parts of the configurator's dialog models.
#include "configurator/models/field_text.h"

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

size_t FileNamePartStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return start;
}

std::string FileNamePart(const std::string& path) { return path.substr(FileNamePartStart(path)); }

std::string FolderPart(const std::string& path) { return path.substr(0, FileNamePartStart(path)); }

std::string ExtensionPart(const std::string& path) {
  size_t start = FileNamePartStart(path);
  size_t dot = std::string::npos;
  for (size_t i = start; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '.') dot = i;
  }
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string WithoutTrailingSeparator(const std::string& folder) {
  if (folder.empty()) return folder;
  // The last character starts after the last full character before it.
  size_t last = 0;
  for (size_t i = 0; i < folder.size(); ++i) {
    last = i;
    if (IsLeadByte(static_cast<unsigned char>(folder[i]))) ++i;
  }
  char c = folder[last];
  if (last != folder.size() - 1 || (c != '\\' && c != '/')) return folder;
  bool root = folder.size() == 1 || (folder.size() == 3 && folder[1] == ':');
  return root ? folder : folder.substr(0, last);
}

std::string WorkingFolderOf(const std::string& path) {
  return WithoutTrailingSeparator(FolderPart(path));
}

std::string LowerCased(std::string text) {
  LowerCaseSjis(text);
  return text;
}

}  // namespace bw
