// Shift_JIS aware lower-casing.
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

}  // namespace bw
