// The refresh token as the parameter file holds it on Windows: protected
// with CryptProtectData for the current user (never with a dialog), then
// written as base64 text. Only the same user on the same machine gets it
// back; a file copied elsewhere needs a new sign-in.
#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "platform/secret.h"

namespace bw::net {
namespace {

// Mixed into the protection, so that a blob of another program of the same
// user does not pass for ours (and ours not for its), nor a token's blob for
// a password's.
constexpr char kEntropy[] = "Bellwick OAuthToken";
constexpr char kPasswordEntropy[] = "Bellwick Password";

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// CryptBinaryToString is missing on Windows 2000, so base64 is done here.
std::string Encode(const BYTE* data, DWORD length) {
  std::string text;
  for (DWORD i = 0; i < length; i += 3) {
    const DWORD n = length - i < 3 ? length - i : 3;
    unsigned value = data[i] << 16;
    if (n > 1) value |= data[i + 1] << 8;
    if (n > 2) value |= data[i + 2];
    text += kAlphabet[(value >> 18) & 63];
    text += kAlphabet[(value >> 12) & 63];
    text += n > 1 ? kAlphabet[(value >> 6) & 63] : '=';
    text += n > 2 ? kAlphabet[value & 63] : '=';
  }
  return text;
}

// Strict: only the alphabet, whole groups, padding at the end only.
bool Decode(const std::string& text, std::string* data) {
  if (text.empty() || text.size() % 4 != 0) return false;
  data->clear();
  for (std::size_t i = 0; i < text.size(); i += 4) {
    unsigned value = 0;
    int pad = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      const char* at = c ? std::strchr(kAlphabet, c) : nullptr;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++pad;
        value <<= 6;
        continue;
      }
      if (!at || pad) return false;
      value = (value << 6) | static_cast<unsigned>(at - kAlphabet);
    }
    *data += static_cast<char>((value >> 16) & 0xFF);
    if (pad < 2) *data += static_cast<char>((value >> 8) & 0xFF);
    if (pad < 1) *data += static_cast<char>(value & 0xFF);
  }
  return true;
}

DATA_BLOB Blob(const char* bytes, std::size_t length) {
  DATA_BLOB blob;
  blob.cbData = static_cast<DWORD>(length);
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes));
  return blob;
}

bool Protect(const std::string& plain, const char* extra, std::size_t extraLength, std::string* stored) {
  DATA_BLOB in = Blob(plain.data(), plain.size());
  DATA_BLOB entropy = Blob(extra, extraLength);
  DATA_BLOB out{};
  // Windows 2000 wants a description; it is kept in the blob unprotected.
  if (!CryptProtectData(&in, L"Bellwick", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  *stored = Encode(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return true;
}

bool Unprotect(const std::string& stored, const char* extra, std::size_t extraLength, std::string* plain) {
  std::string blob;
  if (!Decode(stored, &blob)) return false;
  DATA_BLOB in = Blob(blob.data(), blob.size());
  DATA_BLOB entropy = Blob(extra, extraLength);
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  plain->assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return true;
}

}  // namespace

bool ProtectSecret(const std::string& plain, std::string* stored) {
  return Protect(plain, kEntropy, sizeof kEntropy - 1, stored);
}

bool UnprotectSecret(const std::string& stored, std::string* plain) {
  return Unprotect(stored, kEntropy, sizeof kEntropy - 1, plain);
}

bool ProtectPassword(const std::string& plain, std::string* stored) {
  return Protect(plain, kPasswordEntropy, sizeof kPasswordEntropy - 1, stored);
}

bool UnprotectPassword(const std::string& stored, std::string* plain) {
  return Unprotect(stored, kPasswordEntropy, sizeof kPasswordEntropy - 1, plain);
}

bool SecretsAreProtected() { return true; }

}  // namespace bw::net
