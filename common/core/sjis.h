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

// The path rules of both programs. A path is split only at a character of
// its own: the trail byte of a double-byte character is never taken for a
// separator, though it may be 0x5C ("\\"), and a lead byte standing last is
// a (broken) character, never a separator.

// Where the file name of a path begins: just after its last '\\', '/' or ':',
// 0 when it has none. Everything before is the folder (drive and directory),
// separator included.
std::string::size_type FileNameStart(const std::string& path);
// Name and extension of a path ("" when it ends in a separator).
std::string FileNamePart(const std::string& path);
// Drive and directory of a path, with its trailing separator.
std::string FolderPart(const std::string& path);
// The file name's extension from its last ".", dot included; "" when there
// is none.
std::string ExtensionPart(const std::string& path);
// True when the last character of `path` is a '\\' or '/' of its own.
bool EndsWithSeparator(const std::string& path);
// Removes one trailing '\\' or '/' unless the folder is a root ("\\",
// "C:\\"), whose separator is what makes it the root.
std::string WithoutTrailingSeparator(const std::string& folder);

}  // namespace bw
