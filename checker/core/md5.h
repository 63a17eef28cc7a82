// MD5 message digest (RFC 1321), used for the APOP login digest.
#pragma once
#include <cstddef>
#include <cstdint>

namespace bw {

class Md5 {
 public:
  Md5();
  void Update(const void* data, std::size_t length);
  // Writes the 16-byte digest; the object must not be updated afterwards.
  void Final(std::uint8_t digest[16]);

 private:
  void Block(const std::uint8_t* block);
  std::uint32_t state_[4];
  std::uint64_t bytes_ = 0;
  std::uint8_t buffer_[64];
};

// Digest of the bytes of a NUL-terminated text as 32 lower-case hex digits
// and a NUL in `out` (33 bytes). 0, or -1 with `out` emptied when `text` is
// missing.
int Md5Hex(const char* text, char out[33]);

}  // namespace bw
