// The refresh token as stored in the parameter file.
#pragma once
#include <string>

namespace bw::net {

// Windows: CryptProtectData for the current user, then base64 text.
// Natively: the token as is (the file is written owner-only instead).
bool ProtectSecret(const std::string& plain, std::string* stored);
bool UnprotectSecret(const std::string& stored, std::string* plain);
// True where ProtectSecret really protects (Windows).
bool SecretsAreProtected();

}  // namespace bw::net
