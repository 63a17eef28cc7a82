// Macro look-up and expansion over the display values.
#include "checker/core/macros.h"

#include <cstdlib>

#include "common/core/sjis.h"

namespace bw {

std::string LookUpMacroValue(const DisplaySource& source, const std::string& name) {
  std::string::size_type dot = name.find('.');
  if (dot == std::string::npos) return BuildDisplayValue(source, name);
  int number = std::atoi(name.substr(0, dot).c_str());
  std::string code = name.substr(dot + 1);
  if (number == 0) return BuildDisplayValue(source, code);
  if (number < 0 || number > source.AccountCount()) return std::string();
  return source.AccountAttributeText(number - 1, code);
}

namespace {
bool IsNameChar(unsigned char c) {
  return (c >= '0' && c <= '9') || c == '.' || (c >= 'A' && c <= 'Z');
}
constexpr std::string::size_type kMaxNameLength = 5;

// End of the character that starts at `i`: a double-byte character is never
// split, so its trail byte cannot be taken for "$" or a backslash.
std::string::size_type CharacterEnd(const std::string& text, std::string::size_type i) {
  std::string::size_type end = i + 1;
  if (IsLeadByte(static_cast<unsigned char>(text[i])) && end < text.size()) ++end;
  return end;
}
}  // namespace

std::string ExpandMacros(const DisplaySource& source, const std::string& text) {
  std::string out;
  const std::string::size_type n = text.size();
  std::string::size_type i = 0;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      // Both bytes pass untouched; a lead byte standing last passes alone.
      out += text.substr(i, i + 1 < n ? 2 : 1);
      i += 2;
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= n) break;  // a final backslash is dropped
      if (text[i + 1] != '$') out += '\\';
      std::string::size_type end = CharacterEnd(text, i + 1);
      out += text.substr(i + 1, end - (i + 1));
      i = end;
      continue;
    }
    if (c != '$') {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    // "$(NAME)": on any break the bytes scanned so far, the breaking one
    // included, are copied as written and the scan goes on after them.
    std::string::size_type j = i + 1;
    if (j >= n) {
      out += '$';
      break;
    }
    if (text[j] != '(') {
      std::string::size_type end = CharacterEnd(text, j);
      out += text.substr(i, end - i);
      i = end;
      continue;
    }
    ++j;
    std::string::size_type nameStart = j;
    while (j < n && j - nameStart < kMaxNameLength &&
           IsNameChar(static_cast<unsigned char>(text[j])))
      ++j;
    if (j < n && text[j] == ')' && j > nameStart) {
      out += LookUpMacroValue(source, text.substr(nameStart, j - nameStart));
      i = j + 1;
      continue;
    }
    // Broken: copy up to and including the breaking byte (none at the end).
    std::string::size_type end = j < n ? CharacterEnd(text, j) : n;
    out += text.substr(i, end - i);
    i = end;
  }
  return out;
}

}  // namespace bw
