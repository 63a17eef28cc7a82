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

// Where the file name of a path begins: just after its last '\\', '/' or ':',
// 0 when it has none. Everything before is the folder, separator included.
// The trail byte of a double-byte character is never taken for a separator,
// though it may be 0x5C.
std::string::size_type FileNameStart(const std::string& path);

}  // namespace bw
