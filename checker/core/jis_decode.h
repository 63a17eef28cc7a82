// ISO-2022-JP and EUC-JP as Japanese mail carries them, turned into CP932
// bytes by small state machines of our own: the systems differ too much in
// these (Wine has no code pages for them, glibc's iconv none of the Windows
// extensions), and one decoder behaves the same on every build. A JIS X 0208
// row and cell map by arithmetic onto the CP932 double-byte code, so the NEC
// special characters (row 13) and the IBM extensions (rows 89 to 92, and
// rows 115 to 119 as some converters write them) come out as CP932 has them.
#pragma once
#include <string>
#include <string_view>

namespace bw {

// The CP932 code of JIS row/cell bytes (each 0x21 and up): lead byte in
// the high 8 bits.
unsigned JisToCp932(unsigned char first, unsigned char second);

// A character no CP932 code holds (JIS X 0212 and the like) is written as
// this pair of bytes, a code CP932 leaves undefined, so that the conversion
// to Unicode shows it as a replacement character.
constexpr unsigned kNoCp932Code = 0x8540;

// ISO-2022-JP (with the extensions of CP50220 to CP50222: ESC ( I and SO/SI
// half-width katakana, 8-bit katakana bytes, ESC ( J as ASCII) to CP932
// bytes. Unknown escape sequences are dropped; control bytes pass.
std::string Iso2022JpToCp932(std::string_view bytes);
// EUC-JP (JIS X 0208 in two bytes from 0xA1, 0x8E katakana, 0x8F JIS X 0212
// with no CP932 code) to CP932 bytes.
std::string EucJpToCp932(std::string_view bytes);

}  // namespace bw
