// How the IMAP session writes what it sends: folder names (typed in
// Shift_JIS) in modified UTF-7, or UTF-8 once the server accepts it, and
// strings as quoted strings where their bytes allow.
#pragma once
#include <string>

namespace bw {

// Modified UTF-7 of UTF-16 text: printable ASCII but "&" as itself, "&" as
// "&-", any other run as "&", base64 of its UTF-16 (with "," for "/", no
// padding) and "-".
std::string ModifiedUtf7(const std::u16string& text);
// The folder name `sjis` as it goes on the wire (before quoting): modified
// UTF-7, or UTF-8 when `utf8` (the server accepted UTF8=ACCEPT). False when
// the name holds bytes code page 932 has no character for.
bool ImapFolderWireName(const std::string& sjis, bool utf8, std::string* name);
// True when `bytes` can go as a quoted string: no NUL, CR or LF, and no
// byte above 0x7F unless `utf8`. Anything else goes as a literal.
bool ImapQuotable(const std::string& bytes, bool utf8);
// `bytes` between double quotes, each '"' and '\' escaped.
std::string ImapQuoted(const std::string& bytes);

}  // namespace bw
