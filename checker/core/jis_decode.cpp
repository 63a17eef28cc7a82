// The ISO-2022-JP and EUC-JP state machines; see jis_decode.h.
#include "checker/core/jis_decode.h"

namespace bw {
namespace {

void PutCode(std::string& out, unsigned code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

// A half-width katakana of JIS X 0201 (0x21 to 0x5F) is the CP932 byte
// 0xA1 to 0xDF.
bool PutKatakana(std::string& out, unsigned char c) {
  if (c < 0x21 || c > 0x5F) return false;
  out += static_cast<char>(c + 0x80);
  return true;
}

}  // namespace

unsigned JisToCp932(unsigned char first, unsigned char second) {
  // Rows 1 to 62 take lead bytes 0x81 to 0x9F, the rows after them 0xE0
  // onward (89 to 92: 0xED and 0xEE; 115 to 120: 0xFA to 0xFC). Odd rows
  // use trail bytes 0x40 to 0x9E (skipping 0x7F), even rows 0x9F to 0xFC.
  const unsigned j1 = first;
  const unsigned j2 = second;
  const unsigned lead = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned trail = (j1 & 1) ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
  return (lead << 8) | trail;
}

std::string Iso2022JpToCp932(std::string_view bytes) {
  // Supplementary: JIS X 0212, which has no CP932 codes.
  enum Mode { Ascii, Kanji, Katakana, Supplementary } mode = Ascii;
  bool shifted = false;  // SO: katakana until SI
  std::string out;
  out.reserve(bytes.size());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x1B) {
      // The designations mail uses; anything else is dropped with its
      // escape byte, so it cannot hide the text after it.
      auto at = [&](std::size_t k) { return i + k < n ? bytes[i + k] : '\0'; };
      if (at(1) == '(' && (at(2) == 'B' || at(2) == 'J' || at(2) == 'H')) {
        mode = Ascii;
        i += 2;
      } else if (at(1) == '(' && at(2) == 'I') {
        mode = Katakana;
        i += 2;
      } else if (at(1) == '$' && (at(2) == '@' || at(2) == 'B')) {
        mode = Kanji;
        i += 2;
      } else if (at(1) == '$' && at(2) == '(' && (at(3) == 'B' || at(3) == 'Q')) {
        mode = Kanji;  // JIS X 0208 (or 0213 plane 1) designated the long way
        i += 3;
      } else if (at(1) == '$' && at(2) == '(' && at(3) == 'D') {
        mode = Supplementary;
        i += 3;
      } else {
        ++i;  // ESC and the byte after it
      }
      continue;
    }
    if (c == 0x0E) {
      shifted = true;
      continue;
    }
    if (c == 0x0F) {
      shifted = false;
      continue;
    }
    if (c == '\r' || c == '\n') {
      // A line break ends any multi-byte mode, as the encoders assume.
      mode = Ascii;
      shifted = false;
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xA1 && c <= 0xDF) {
      out += static_cast<char>(c);  // 8-bit half-width katakana (CP50222 style)
      continue;
    }
    if (shifted || mode == Katakana) {
      if (!PutKatakana(out, c)) out += static_cast<char>(c);
      continue;
    }
    if (mode == Supplementary && c >= 0x21 && c <= 0x7E) {
      PutCode(out, kNoCp932Code);
      if (i + 1 < n && static_cast<unsigned char>(bytes[i + 1]) >= 0x21) ++i;
      continue;
    }
    if (mode == Kanji && c >= 0x21 && c <= 0x97 && c != 0x7F) {
      // Lead bytes above 0x7E are what naive converters write for the IBM
      // extensions (rows 115 to 119).
      if (i + 1 < n) {
        const unsigned char d = static_cast<unsigned char>(bytes[i + 1]);
        if (d >= 0x21 && d <= 0x7E) {
          PutCode(out, JisToCp932(c, d));
          ++i;
          continue;
        }
      }
      PutCode(out, kNoCp932Code);  // half a character
      continue;
    }
    out += static_cast<char>(c);
  }
  return out;
}

std::string EucJpToCp932(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t n = bytes.size();
  auto byte = [&](std::size_t k) { return k < n ? static_cast<unsigned char>(bytes[k]) : 0u; };
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = byte(i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == 0x8E && byte(i + 1) >= 0xA1 && byte(i + 1) <= 0xDF) {
      out += static_cast<char>(byte(i + 1));
      ++i;
    } else if (c == 0x8F && byte(i + 1) >= 0xA1 && byte(i + 2) >= 0xA1) {
      PutCode(out, kNoCp932Code);  // JIS X 0212: no CP932 code
      i += 2;
    } else if (c >= 0xA1 && c <= 0xFE && byte(i + 1) >= 0xA1 && byte(i + 1) <= 0xFE) {
      PutCode(out, JisToCp932(static_cast<unsigned char>(c - 0x80), static_cast<unsigned char>(byte(i + 1) - 0x80)));
      ++i;
    } else {
      PutCode(out, kNoCp932Code);
    }
  }
  return out;
}

}  // namespace bw
