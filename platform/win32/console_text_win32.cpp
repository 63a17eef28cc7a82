// On Windows the tools print the programs' CP932 texts unchanged.
#include "platform/console_text.h"

namespace bw {

std::string Cp932ToUtf8(const std::string& text) { return text; }

}  // namespace bw
