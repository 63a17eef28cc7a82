// Natively the refresh token is stored as it is; the parameter file that
// holds it is written readable by its owner only. A password stored
// protected (a Windows blob) cannot be read here.
#include "platform/secret.h"

namespace bw::net {

bool ProtectSecret(const std::string& plain, std::string* stored) {
  *stored = plain;
  return true;
}

bool UnprotectSecret(const std::string& stored, std::string* plain) {
  *plain = stored;
  return true;
}

bool SecretsAreProtected() { return false; }

bool ProtectPassword(const std::string&, std::string*) { return false; }
bool UnprotectPassword(const std::string&, std::string*) { return false; }

}  // namespace bw::net
