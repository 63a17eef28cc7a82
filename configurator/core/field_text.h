// Helpers the configurator's dialog models share: reading number boxes with
// their validation messages, and the working folder of a program. The path
// rules themselves are the shared ones of common/core/sjis.h.
#pragma once
#include <string>

#include "common/core/sjis.h"

namespace bw {

enum class NumberCheck { kOk, kNotNumber, kOutOfRange };

// Reads a number box's text: optional spaces, an optional sign, decimal
// digits, optional spaces. A value outside lo..hi (overflow included) is out
// of range; *value is written only when the result is kOk.
NumberCheck ReadNumberField(const std::string& text, long long lo, long long hi, int* value);

// The validation texts a number or length check shows.
std::string NumberMessage(NumberCheck check, long long lo, long long hi);
std::string LengthMessage(int maxLength);

// FolderPart without its trailing separator: the working folder of a
// program chosen by path.
std::string WorkingFolderOf(const std::string& path);

// Lower-cased copy (A to Z only; double-byte characters untouched).
std::string LowerCased(std::string text);

}  // namespace bw
