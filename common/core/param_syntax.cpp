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
