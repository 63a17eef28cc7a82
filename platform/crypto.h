// What PKCE and the sign-in's state need: a SHA-256 digest and random bytes
// from the system's generator.
#pragma once
#include <cstddef>
#include <string>

namespace bw::net {

std::string Sha256(const std::string& data);          // 32 raw bytes
bool RandomBytes(void* buffer, std::size_t length);   // OpenSSL RAND_bytes / CryptGenRandom

}  // namespace bw::net
