// Text for a terminal: what the native tools print of the programs' texts.
#pragma once
#include <string>

namespace bw {

// CP932 to UTF-8, for native tools that print the system's texts.
std::string Cp932ToUtf8(const std::string& text);

}  // namespace bw
