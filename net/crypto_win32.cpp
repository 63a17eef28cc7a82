// Placeholder until the CryptoAPI version lands: no digest, no random bytes.
#include "net/crypto.h"

namespace bw::net {
std::string Sha256(const std::string&) { return std::string(); }
bool RandomBytes(void*, std::size_t) { return false; }
}  // namespace bw::net
