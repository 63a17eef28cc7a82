// Decoding the text of mail header fields into UTF-16 as Japanese mail
// really arrives: folded lines, RFC 2047 encoded words (B and Q) in the
// charsets mail uses, and raw 8-bit text without any label. Nothing here
// fails: what cannot be decoded shows as it came.
#pragma once
#include <string>
#include <string_view>

namespace bw {

// RFC 5322 unfolding: every line break (CR LF, or a lone LF or CR) that is
// followed by a space or tab is removed; other line breaks stay.
std::string UnfoldHeader(std::string_view text);

// A field's text decoded: encoded words in their charsets (adjacent ones
// joined, the blanks between them dropped, their bytes taken together so
// that a character split between two words comes out whole), the text
// between them by the raw rule below. An encoded word of an unknown charset,
// or one that cannot be decoded, shows as it came. Control characters
// become spaces, so the text stays on one line.
std::u16string DecodeHeaderText(std::string_view unfolded);

// Text of a named charset in UTF-16; false for a charset not known here, or
// bytes that are not text of it. ISO-2022-JP and EUC-JP are decoded here,
// the rest by the platform (platform/charset.h). Shift_JIS and its aliases are
// read as CP932 with a replacement character for bytes it lacks; US-ASCII
// or UTF-8 holding other bytes is read by the raw rule.
bool DecodeCharsetText(std::string_view charset, std::string_view bytes, std::u16string* out);

// Header bytes without a charset: ISO-2022-JP when they hold its escape
// sequences, UTF-8 where they are valid UTF-8, otherwise CP932.
std::u16string RawHeaderText(std::string_view bytes);

// CP932 bytes in UTF-16, each character CP932 lacks as U+FFFD.
std::u16string Cp932Text(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);
// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD), for printing.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace bw
