// Shift_JIS (code page 932) byte helpers shared by every text walker.
#pragma once
#include <string>

namespace bw {

// True for the first byte of a Shift_JIS double-byte character.
inline bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Lower-cases A to Z in place. A double-byte character is skipped whole, so
// its trail byte is never changed even when it lies in the range "A".."Z"; a
// lead byte standing last is left alone.
void LowerCaseSjis(std::string& text);

}  // namespace bw
