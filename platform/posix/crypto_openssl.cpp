// SHA-256 and random bytes from OpenSSL.
#include "platform/crypto.h"

#include <openssl/rand.h>
#include <openssl/sha.h>

namespace bw::net {

std::string Sha256(const std::string& data) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

bool RandomBytes(void* buffer, std::size_t length) {
  return RAND_bytes(static_cast<unsigned char*>(buffer), static_cast<int>(length)) == 1;
}

}  // namespace bw::net
