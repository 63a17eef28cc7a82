// Shift_JIS (code page 932, as Windows reads it) to UTF-16 for the IMAP
// folder names, which go out in modified UTF-7 or UTF-8: the platform's
// conversion (platform/charset.h), strict about bytes without a character.
#pragma once
#include <string>

#include "checker/core/header_text.h"  // Utf16ToUtf8

namespace bw {

// The UTF-16 of `text`; false when a byte or pair has no character in code
// page 932, or a lead byte stands last.
bool Cp932ToUtf16(const std::string& text, std::u16string* out);

}  // namespace bw
