// The system's text for the calling thread's last error.
#pragma once
#include <string>

namespace bw {

// FormatMessageW's text (in Shift_JIS) for GetLastError() in the user's default language.
std::string SystemErrorText();

// When `show` is set, shows that text in a box captioned "Error" with the
// information icon.
void ShowSystemError(bool show);

}  // namespace bw
