// Code page 932 to UTF-16 through the platform's conversion; see
// cp932_unicode.h.
#include "checker/core/cp932_unicode.h"

#include "platform/charset.h"

namespace bw {

bool Cp932ToUtf16(const std::string& text, std::u16string* out) {
  out->clear();
  // The platform takes 0x80 as U+0080, as Windows does; no folder name
  // holds it, and a name the server could not read is refused there.
  return net::ConvertToUtf16(net::kCodePageCp932, text, out);
}

}  // namespace bw
