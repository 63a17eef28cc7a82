// Helpers the configurator's dialog models share: reading number boxes with
// their validation messages, and taking file paths apart without ever
// splitting a Shift_JIS character (whose second byte may be a backslash).
#pragma once
#include <string>

namespace bw {

enum class NumberCheck { kOk, kNotNumber, kOutOfRange };

// Reads a number box's text: optional spaces, an optional sign, decimal
// digits, optional spaces. A value outside lo..hi (overflow included) is out
// of range; *value is written only when the result is kOk.
NumberCheck ReadNumberField(const std::string& text, long long lo, long long hi, int* value);

// The validation texts a number or length check shows.
std::string NumberMessage(NumberCheck check, long long lo, long long hi);
std::string LengthMessage(int maxLength);

// Offset of the file-name part: just after the last "\", "/" or ":" that is
// a character of its own (not the second byte of a double-byte character).
size_t FileNamePartStart(const std::string& path);
// Name and extension of a path ("" when it ends in a separator).
std::string FileNamePart(const std::string& path);
// Drive and directory of a path, with its trailing separator.
std::string FolderPart(const std::string& path);
// The file-name part's extension from its last ".", dot included; "" when
// there is none.
std::string ExtensionPart(const std::string& path);
// Removes one trailing "\" or "/" unless it is the second byte of a
// double-byte character or the folder is a root ("\", "C:\"), whose
// separator is what makes it the root.
std::string WithoutTrailingSeparator(const std::string& folder);
// FolderPart without its trailing separator: the working folder of a
// program chosen by path.
std::string WorkingFolderOf(const std::string& path);

// Lower-cased copy (A to Z only; double-byte characters untouched).
std::string LowerCased(std::string text);

}  // namespace bw
