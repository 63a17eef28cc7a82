// Opening the provider's sign-in page.
#pragma once
#include <string>

namespace bw::net {

// command empty: the system's browser (ShellExecute "open" on Windows,
// xdg-open natively). Otherwise run `command` with the URL as ONE argument,
// no shell in between. Does not wait for it to end. False when it could not start.
bool OpenBrowser(const std::string& url, const std::string& command);

}  // namespace bw::net
