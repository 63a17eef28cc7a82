// Shift_JIS (code page 932, as Windows reads it) to UTF-16 and UTF-8, the
// same on every build: the IMAP folder names go out in modified UTF-7 or
// UTF-8, which the platform's own conversion cannot be relied on for.
#pragma once
#include <string>

namespace bw {

// The UTF-16 of `text`; false (and `out` incomplete) when a byte or pair
// has no character in code page 932, or a lead byte stands last.
bool Cp932ToUtf16(const std::string& text, std::u16string* out);
// The UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace bw
