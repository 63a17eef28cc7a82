// Header field text: unfolding, RFC 2047 encoded words and the charsets;
// see header_text.h.
#include "checker/core/header_text.h"

#include <cstddef>
#include <vector>

#include "checker/core/jis_decode.h"
#include "common/core/sjis.h"
#include "common/core/base64.h"
#include "platform/charset.h"

namespace bw {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerName(std::string_view name) {
  std::string lower;
  for (char c : name) lower += LowerAscii(c);
  return lower;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool AllAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::u16string Widen(std::string_view ascii) {
  std::u16string text;
  text.reserve(ascii.size());
  for (char c : ascii) text += static_cast<char16_t>(static_cast<unsigned char>(c));
  return text;
}

// The charsets decoded here or by the platform.
enum class Kind { Unknown, Iso2022Jp, EucJp, Cp932, Utf8, Ascii, Platform };

Kind CharsetKind(std::string_view charset, unsigned* codePage) {
  std::string name = LowerName(charset);
  // RFC 2231 lets a language follow the charset: "utf-8*ja".
  const std::size_t star = name.find('*');
  if (star != std::string::npos) name.resize(star);
  for (const char* alias : {"iso-2022-jp", "iso-2022-jp-1", "iso-2022-jp-2", "iso-2022-jp-ms", "csiso2022jp",
                            "cp50220", "cp50221", "cp50222"})
    if (name == alias) return Kind::Iso2022Jp;
  for (const char* alias : {"euc-jp", "eucjp", "x-euc-jp", "euc-jp-ms", "eucjp-ms", "cp51932", "cseucpkdfmtjapanese"})
    if (name == alias) return Kind::EucJp;
  for (const char* alias : {"shift_jis", "shift-jis", "sjis", "x-sjis", "csshiftjis", "ms_kanji", "windows-31j",
                            "cswindows31j", "cp932", "ms932", "x-ms-cp932", "ibm-943"})
    if (name == alias) return Kind::Cp932;
  if (name == "utf-8" || name == "utf8") return Kind::Utf8;
  if (name == "us-ascii" || name == "ascii" || name == "ansi_x3.4-1968" || name == "iso646-us") return Kind::Ascii;
  // ISO-8859-1 is read as Windows-1252, as browsers read it: its bytes
  // 0x80 to 0x9F are C1 controls no text means, and mail labelled so is
  // mostly written on Windows.
  if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" || name == "iso8859-1" ||
      name == "iso_8859-1" || name == "latin1" || name == "l1") {
    *codePage = net::kCodePageWindows1252;
    return Kind::Platform;
  }
  for (const char* prefix : {"iso-8859-", "iso8859-", "iso_8859-"}) {
    const std::string p = prefix;
    if (name.compare(0, p.size(), p) != 0) continue;
    const std::string digits = name.substr(p.size());
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) break;
    const unsigned part = static_cast<unsigned>(std::stoi(digits));
    if (part < 2 || part > 15) break;
    *codePage = net::kCodePageIso8859Base + part;
    return Kind::Platform;
  }
  return Kind::Unknown;
}

// B encoding; missing padding is forgiven (encoders that split words leave
// it off), any byte outside the alphabet before the padding is not.
bool DecodeB(std::string_view text, std::string* bytes) {
  const std::size_t end = text.find_last_not_of('=');
  std::string padded(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
  padded.append((4 - padded.size() % 4) % 4, '=');
  std::string decoded;
  if (!Base64Decode(padded, &decoded)) return false;
  *bytes += decoded;
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Q encoding: "_" is a space, "=XX" a byte; a "=" without two hex digits
// stays as it is.
void DecodeQ(std::string_view text, std::string* bytes) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '_') {
      *bytes += ' ';
    } else if (c == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      *bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      *bytes += c;
    }
  }
}

// One piece of a field: text between encoded words, or a decoded word.
struct Piece {
  bool word = false;
  std::string_view raw;  // as it came
  std::string charset;   // a word's
  std::string bytes;     // a word's decoded bytes
};

// An encoded word "=?charset?e?text?=" at `at` that decodes; its length in
// `*length`.
bool ReadEncodedWord(std::string_view text, std::size_t at, Piece* word, std::size_t* length) {
  if (text.compare(at, 2, "=?") != 0) return false;
  const std::size_t charsetEnd = text.find('?', at + 2);
  if (charsetEnd == std::string_view::npos || charsetEnd == at + 2) return false;
  if (charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?') return false;
  const char encoding = LowerAscii(text[charsetEnd + 1]);
  if (encoding != 'b' && encoding != 'q') return false;
  const std::size_t textStart = charsetEnd + 3;
  const std::size_t end = text.find("?=", textStart);
  if (end == std::string_view::npos) return false;
  for (std::size_t i = at + 2; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20 || c >= 0x7F) return false;
  }
  const std::string_view encoded = text.substr(textStart, end - textStart);
  word->word = true;
  word->raw = text.substr(at, end + 2 - at);
  word->charset = std::string(text.substr(at + 2, charsetEnd - at - 2));
  word->bytes.clear();
  if (encoding == 'b') {
    if (!DecodeB(encoded, &word->bytes)) return false;
  } else {
    DecodeQ(encoded, &word->bytes);
  }
  *length = end + 2 - at;
  return true;
}

std::vector<Piece> SplitPieces(std::string_view text) {
  std::vector<Piece> pieces;
  std::size_t plainStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    Piece word;
    std::size_t length = 0;
    unsigned codePage = 0;
    // A word of a charset not known here is no word: it stays as it came.
    if (text[i] == '=' && ReadEncodedWord(text, i, &word, &length) &&
        CharsetKind(word.charset, &codePage) != Kind::Unknown) {
      if (i > plainStart) pieces.push_back({false, text.substr(plainStart, i - plainStart), {}, {}});
      pieces.push_back(std::move(word));
      i += length;
      plainStart = i;
    } else {
      ++i;
    }
  }
  if (plainStart < text.size()) pieces.push_back({false, text.substr(plainStart), {}, {}});
  return pieces;
}

bool OnlyBlanks(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

// Code points of valid UTF-8 into UTF-16.
std::u16string Utf8Text(std::string_view bytes) {
  std::u16string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    unsigned cp;
    int more;
    if (c < 0x80) {
      cp = c;
      more = 0;
    } else if (c < 0xE0) {
      cp = c & 0x1F;
      more = 1;
    } else if (c < 0xF0) {
      cp = c & 0x0F;
      more = 2;
    } else {
      cp = c & 0x07;
      more = 3;
    }
    for (int k = 1; k <= more; ++k) cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    i += static_cast<std::size_t>(more) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (cp >> 10));
      text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      text += static_cast<char16_t>(cp);
    }
  }
  return text;
}

std::u16string Utf8OrCp932(std::string_view bytes) {
  if (!IsValidUtf8(bytes)) return Cp932Text(bytes);
  std::u16string text;
  if (net::ConvertToUtf16(net::kCodePageUtf8, bytes, &text)) return text;
  return Utf8Text(bytes);
}

}  // namespace

std::string UnfoldHeader(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      std::size_t next = i + 1;
      if (c == '\r' && next < text.size() && text[next] == '\n') ++next;
      if (next < text.size() && IsBlank(text[next])) {
        i = next - 1;  // the break goes, the blank after it stays
        continue;
      }
    }
    out += c;
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int more;
    unsigned min;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(more) >= bytes.size()) return false;
    unsigned cp = c & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      const unsigned char d = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are no
    // UTF-8 (so CP932 text is rarely taken for it).
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

std::u16string Cp932Text(std::string_view bytes) {
  std::u16string text;
  if (net::ConvertToUtf16(net::kCodePageCp932, bytes, &text)) return text;
  // Character by character, so one bad code costs only itself.
  text.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = IsLeadByte(c) && i + 1 < bytes.size() ? 2 : 1;
    if (!net::ConvertToUtf16(net::kCodePageCp932, bytes.substr(i, length), &text)) text += kReplacement;
    i += length;
  }
  return text;
}

std::u16string RawHeaderText(std::string_view bytes) {
  if (bytes.find("\x1B$") != std::string_view::npos || bytes.find("\x1B(") != std::string_view::npos)
    return Cp932Text(Iso2022JpToCp932(bytes));
  if (AllAscii(bytes)) return Widen(bytes);
  return Utf8OrCp932(bytes);
}

bool DecodeCharsetText(std::string_view charset, std::string_view bytes, std::u16string* out) {
  unsigned codePage = 0;
  switch (CharsetKind(charset, &codePage)) {
    case Kind::Unknown:
      return false;
    case Kind::Iso2022Jp:
      *out += Cp932Text(Iso2022JpToCp932(bytes));
      return true;
    case Kind::EucJp:
      *out += Cp932Text(EucJpToCp932(bytes));
      return true;
    case Kind::Cp932:
      *out += Cp932Text(bytes);
      return true;
    case Kind::Utf8:
    case Kind::Ascii:
      // Mislabelled text is common (8-bit bytes under "us-ascii", CP932
      // under "utf-8"): it gets the raw rule rather than nothing.
      *out += RawHeaderText(bytes);
      return true;
    case Kind::Platform:
      return net::ConvertToUtf16(codePage, bytes, out);
  }
  return false;
}

std::u16string DecodeHeaderText(std::string_view unfolded) {
  const std::vector<Piece> pieces = SplitPieces(unfolded);
  std::u16string text;
  std::size_t i = 0;
  while (i < pieces.size()) {
    const Piece& piece = pieces[i];
    if (!piece.word) {
      // Blanks between two encoded words are no part of the text.
      const bool between = i > 0 && i + 1 < pieces.size() && pieces[i - 1].word && pieces[i + 1].word;
      if (!(between && OnlyBlanks(piece.raw))) text += RawHeaderText(piece.raw);
      ++i;
      continue;
    }
    // The run of words of one charset (blanks between them skipped) is
    // decoded as one text.
    std::string bytes = piece.bytes;
    std::string raw(piece.raw);
    std::size_t next = i + 1;
    while (true) {
      std::size_t k = next;
      if (k < pieces.size() && !pieces[k].word && OnlyBlanks(pieces[k].raw)) ++k;
      if (k >= pieces.size() || !pieces[k].word || LowerName(pieces[k].charset) != LowerName(piece.charset)) break;
      bytes += pieces[k].bytes;
      raw += ' ';
      raw += pieces[k].raw;
      next = k + 1;
    }
    if (!DecodeCharsetText(piece.charset, bytes, &text)) text += Widen(raw);
    i = next;
  }
  for (char16_t& c : text)
    if (c < 0x20 || c == 0x7F) c = u' ';
  return text;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace bw
