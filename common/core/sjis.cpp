// Shift_JIS aware lower-casing and path splitting.
#include "common/core/sjis.h"

namespace bw {

void LowerCaseSjis(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      ++i;  // the trail byte belongs to the character; never examine it
      continue;
    }
    if (c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c - 'A' + 'a');
  }
}

std::string::size_type FileNameStart(const std::string& path) {
  std::string::size_type start = 0;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;  // the trail byte may be 0x5C and is no folder separator
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return start;
}

}  // namespace bw
