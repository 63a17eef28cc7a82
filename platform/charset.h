// The platform's conversion of the charsets mail headers name into UTF-16:
// MultiByteToWideChar on Windows, iconv natively (corrected where glibc's
// tables differ from Windows'). Code pages go by their Windows numbers.
#pragma once
#include <string>
#include <string_view>

namespace bw::net {

enum : unsigned {
  kCodePageCp932 = 932,      // Shift_JIS as Windows has it (Windows-31J)
  kCodePageWindows1252 = 1252,
  kCodePageIso8859Base = 28590,  // ISO-8859-N is 28590 + N
  kCodePageUtf8 = 65001,
};

// Converts `bytes` of `codePage` into UTF-16 (appended to `out`). False,
// with `out` as it was, when the code page is not available here or the
// bytes are not valid text of it.
bool ConvertToUtf16(unsigned codePage, std::string_view bytes, std::u16string* out);

}  // namespace bw::net
