// Placeholder until the ShellExecute version lands.
#include "net/browser.h"

namespace bw::net {
bool OpenBrowser(const std::string&, const std::string&) { return false; }
}  // namespace bw::net
