// Parameter-file line tokenizer and value conversions.
#include "common/core/param_syntax.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bw {

void TokenizeLine(char* line, const char** key, const char** value) {
  static const char kEmpty[] = "";
  *key = kEmpty;
  *value = kEmpty;
  size_t length = std::strlen(line);
  if (length == 0) return;
  while (length > 0 && static_cast<unsigned char>(line[length - 1]) <= 0x20) line[--length] = '\0';
  if (length == 0) return;

  char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  *key = p;
  while (static_cast<unsigned char>(*p) > 0x20) ++p;
  if (*p == '\0') return;

  *p++ = '\0';  // the separator
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x20) ++p;
  *value = p;
}

bool ValueReadsBack(int depth, const std::string& key, const std::string& value) {
  if (key.empty() || value.empty()) return false;
  const std::string bad("\0\r\n\x1A", 4);
  if (key.find_first_of(bad) != std::string::npos || value.find_first_of(bad) != std::string::npos) return false;
  // The line and its line feed fill at most one piece of the buffer.
  const std::size_t length = static_cast<std::size_t>(depth) + key.size() + 1 + value.size() + 1;
  if (length > static_cast<std::size_t>(kLineBufferSize - 1)) return false;
  char line[kLineBufferSize];
  std::memset(line, '\t', static_cast<std::size_t>(depth));
  std::snprintf(line + depth, sizeof line - static_cast<std::size_t>(depth), "%s\t%s", key.c_str(), value.c_str());
  if (IsCommentLine(line)) return false;
  const char* readKey;
  const char* readValue;
  TokenizeLine(line, &readKey, &readValue);
  for (const char* structural : {"{", "}"})
    if (std::strcmp(readKey, structural) == 0 || std::strcmp(readValue, structural) == 0) return false;
  return key == readKey && value == readValue && key != "--EOF--";
}

bool ReadBlockLine(TextInput& in, BlockLine* line) {
  for (;;) {
    const bool continuation = !in.AtLineStart();
    if (!in.ReadLine(line->buffer, sizeof line->buffer)) return false;
    if (continuation || IsCommentLine(line->buffer)) continue;
    TokenizeLine(line->buffer, &line->key, &line->value);
    return true;
  }
}

namespace {
// Numbers saturate at the limits of a 32-bit long, as the Windows C runtime
// does, so both builds read out-of-range values alike.
long long Clamp32(long long v) {
  if (v > 2147483647LL) return 2147483647LL;
  if (v < -2147483648LL) return -2147483648LL;
  return v;
}
}  // namespace

int AtoiValue(const std::string& text) {
  return static_cast<int>(Clamp32(std::strtoll(text.c_str(), nullptr, 10)));
}

long StrtolValue(const std::string& text) {
  return static_cast<long>(Clamp32(std::strtoll(text.c_str(), nullptr, 0)));
}

bool ScanPair(const std::string& text, int* a, int* b) {
  long long x, y;
  char* end;
  const char* p = text.c_str();
  // "%d,%d": optional white space, a decimal number, a comma, white space,
  // a decimal number. Written out with strtol to avoid sscanf's undefined
  // overflow.
  x = Clamp32(std::strtoll(p, &end, 10));
  if (end == p) return false;
  p = end;
  if (*p != ',') return false;
  ++p;
  const char* q = p;
  y = Clamp32(std::strtoll(q, &end, 10));
  if (end == q) return false;
  *a = static_cast<int>(x);
  *b = static_cast<int>(y);
  return true;
}

std::string FormatInt(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace bw
