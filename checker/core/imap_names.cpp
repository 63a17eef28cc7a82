// Folder names and strings as the IMAP session sends them; see imap_names.h.
#include "checker/core/imap_names.h"

#include "checker/core/cp932_unicode.h"

namespace bw {

std::string ModifiedUtf7(const std::u16string& text) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";
  std::string out;
  std::u16string::size_type i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c >= 0x20 && c <= 0x7E) {
      out += static_cast<char>(c);
      if (c == '&') out += '-';
      ++i;
      continue;
    }
    // A run of characters that do not stand for themselves, as base64 of
    // their big-endian UTF-16.
    out += '&';
    unsigned long bits = 0;
    int count = 0;
    for (; i < text.size() && (text[i] < 0x20 || text[i] > 0x7E); ++i) {
      bits = (bits << 16) | text[i];
      count += 16;
      while (count >= 6) {
        count -= 6;
        out += kDigits[(bits >> count) & 0x3F];
      }
      bits &= (1UL << count) - 1;
    }
    if (count > 0) out += kDigits[(bits << (6 - count)) & 0x3F];
    out += '-';
  }
  return out;
}

bool ImapFolderWireName(const std::string& sjis, bool utf8, std::string* name) {
  std::u16string wide;
  if (!Cp932ToUtf16(sjis, &wide)) return false;
  *name = utf8 ? Utf16ToUtf8(wide) : ModifiedUtf7(wide);
  return true;
}

bool ImapQuotable(const std::string& bytes, bool utf8) {
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0 || c == '\r' || c == '\n' || (c >= 0x80 && !utf8)) return false;
  }
  return true;
}

std::string ImapQuoted(const std::string& bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace bw
