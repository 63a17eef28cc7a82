// Base64 encoding and strict decoding (RFC 4648).
#include "common/core/base64.h"

namespace bw {
namespace {

constexpr char kStandard[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kUrlSafe[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string Encode(const std::string& bytes, const char* alphabet, bool pad) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
    text += alphabet[v >> 18 & 63];
    text += alphabet[v >> 12 & 63];
    text += alphabet[v >> 6 & 63];
    text += alphabet[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const unsigned v = at(i) << 16 | (rest == 2 ? at(i + 1) << 8 : 0);
    text += alphabet[v >> 18 & 63];
    text += alphabet[v >> 12 & 63];
    if (rest == 2) text += alphabet[v >> 6 & 63];
    if (pad) text.append(rest == 1 ? "==" : "=");
  }
  return text;
}

int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) { return Encode(bytes, kStandard, true); }
std::string Base64UrlEncode(const std::string& bytes) { return Encode(bytes, kUrlSafe, false); }

bool Base64Decode(const std::string& text, std::string* bytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++padding;
        continue;
      }
      if (padding > 0) return false;  // data after padding
      v[k] = Value(c);
      if (v[k] < 0) return false;
    }
    const unsigned n = unsigned(v[0]) << 18 | unsigned(v[1]) << 12 | unsigned(v[2]) << 6 | unsigned(v[3]);
    bytes->push_back(static_cast<char>(n >> 16 & 0xFF));
    if (padding < 2) bytes->push_back(static_cast<char>(n >> 8 & 0xFF));
    if (padding < 1) bytes->push_back(static_cast<char>(n & 0xFF));
  }
  return true;
}

}  // namespace bw
