// Placeholder until CryptProtectData lands: nothing can be protected.
#include "net/secret.h"

namespace bw::net {
bool ProtectSecret(const std::string&, std::string*) { return false; }
bool UnprotectSecret(const std::string&, std::string*) { return false; }
bool SecretsAreProtected() { return true; }
}  // namespace bw::net
