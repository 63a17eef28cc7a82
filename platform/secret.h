// The refresh token and the account passwords as stored in the parameter file.
#pragma once
#include <string>

namespace bw::net {

// Windows: CryptProtectData for the current user, then base64 text.
// Natively: the token as is (the file is written owner-only instead).
bool ProtectSecret(const std::string& plain, std::string* stored);
bool UnprotectSecret(const std::string& stored, std::string* plain);
// True where ProtectSecret really protects (Windows).
bool SecretsAreProtected();

// A password kept protected at rest (the file's ProtectPasswords). Windows:
// CryptProtectData for the current user with an entropy of its own, base64.
// Natively there is no such service: both return false, and a password
// stored protected cannot be read there.
bool ProtectPassword(const std::string& plain, std::string* stored);
bool UnprotectPassword(const std::string& stored, std::string* plain);

}  // namespace bw::net
