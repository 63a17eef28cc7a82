// Charset conversion through iconv. glibc's CP932 agrees with Windows' code
// page 932 on every double-byte code (0x8160 is U+FF5E there too, the NEC
// and IBM rows are the same) but refuses the single byte 0x80, which Windows
// maps to U+0080; that byte, and the five bytes Windows-1252 leaves
// undefined (Windows passes them through as C1 controls), are converted
// here as Windows does.
#include "platform/charset.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace bw::net {
namespace {

// The iconv name of a code page; empty for one not offered.
std::string IconvName(unsigned codePage) {
  if (codePage == kCodePageCp932) return "CP932";
  if (codePage == kCodePageUtf8) return "UTF-8";
  if (codePage == kCodePageWindows1252) return "CP1252";
  if (codePage > kCodePageIso8859Base && codePage <= kCodePageIso8859Base + 16)
    return "ISO-8859-" + std::to_string(codePage - kCodePageIso8859Base);
  return std::string();
}

// Windows' code for a single byte glibc refuses, or 0.
char16_t WindowsOnlyByte(unsigned codePage, unsigned char c) {
  if (codePage == kCodePageCp932 && c == 0x80) return 0x0080;
  if (codePage == kCodePageWindows1252 && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D))
    return c;
  return 0;
}

class Converter {
 public:
  explicit Converter(const std::string& from) : cd_(iconv_open("UTF-16LE", from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts a run of bytes; false at the first byte it refuses (`*used`
  // bytes were converted before it).
  bool Run(const char* data, std::size_t size, std::u16string* out, std::size_t* used) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    bool good = true;
    while (inLeft > 0) {
      char buffer[512];
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      const std::size_t made = static_cast<std::size_t>(outPtr - buffer);
      for (std::size_t k = 0; k + 1 < made; k += 2)
        *out += static_cast<char16_t>(static_cast<unsigned char>(buffer[k]) |
                                      (static_cast<unsigned char>(buffer[k + 1]) << 8));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        good = false;
        break;
      }
    }
    *used = size - inLeft;
    return good;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool ConvertToUtf16(unsigned codePage, std::string_view bytes, std::u16string* out) {
  const std::string name = IconvName(codePage);
  if (name.empty()) return false;
  Converter converter(name);
  if (!converter.ok()) return false;
  std::u16string text;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t used = 0;
    if (converter.Run(bytes.data() + at, bytes.size() - at, &text, &used)) break;
    at += used;
    // A refused byte that Windows maps: take it as Windows does, go on.
    const char16_t windows = WindowsOnlyByte(codePage, static_cast<unsigned char>(bytes[at]));
    if (!windows) return false;
    text += windows;
    ++at;
  }
  *out += text;
  return true;
}

}  // namespace bw::net
