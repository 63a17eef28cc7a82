// The one place where text crosses between the programs and Windows.
//
// Inside both programs every text is Shift_JIS (code page 932), as in the
// parameter file and the log. Windows is called through its UTF-16 ("W")
// functions, so that Japanese shows right whatever the system's ANSI code
// page is (932, 1252, or 65001 with "UTF-8 for worldwide language
// support"). These functions are the only conversions: no other file names
// a code page.
#pragma once
#include <string>
#include <vector>

namespace bw {

// Shift_JIS to UTF-16.
std::wstring Wide(const std::string& sjis);
std::wstring Wide(const char* sjis);

// The same, NUL-terminated in a buffer Windows may write into (the command
// line of CreateProcessW).
std::vector<wchar_t> WideBuffer(const std::string& sjis);

// UTF-16 to Shift_JIS. A character Shift_JIS cannot hold (an emoji, say)
// has no faithful form: then `*lossless` (when given) is false and the
// result must not be used as a name or stored; the caller refuses it. Such
// characters are never replaced by a look-alike.
std::string Narrow(const std::wstring& text, bool* lossless = nullptr);
std::string Narrow(const wchar_t* text, std::size_t length, bool* lossless = nullptr);

// What a refusal of such a text tells the user or the log, after the text
// (the name of the thing refused).
extern const char kNotShiftJisText[];

}  // namespace bw
