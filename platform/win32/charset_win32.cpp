// Charset conversion through MultiByteToWideChar, refusing invalid bytes.
#include "platform/charset.h"

#include <windows.h>

namespace bw::net {

bool ConvertToUtf16(unsigned codePage, std::string_view bytes, std::u16string* out) {
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (needed <= 0) return false;
  std::u16string text(static_cast<std::size_t>(needed), u'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, reinterpret_cast<wchar_t*>(&text[0]),
                          needed) != needed)
    return false;
  *out += text;
  return true;
}

}  // namespace bw::net
