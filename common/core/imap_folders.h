// The folder list of an IMAP account's ImapFolders value: names separated by
// ",", a comma inside a name written "\,", a backslash "\\". Both programs
// use it: the checker to know what to watch, the configurator to show it.
#pragma once
#include <string>
#include <vector>

namespace bw {

// The folder an account with an empty list watches.
constexpr const char* kDefaultImapFolder = "INBOX";

// The names of `text` in their order, unescaped, blanks around each name
// trimmed and empty names left out; {"INBOX"} when none is left. The trail
// byte of a Shift_JIS character is never taken for "\" or ",", so a name
// such as 表 (0x95 0x5C) needs no escape. A "\" before any other byte, or
// standing last, is kept as it is.
std::vector<std::string> ImapFolderList(const std::string& text);
// The value that reads back as `names`: each "\" and "," of a name of its
// own escaped, the names joined by ",".
std::string JoinImapFolderList(const std::vector<std::string>& names);

}  // namespace bw
