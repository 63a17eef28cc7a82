// Natively the refresh token is stored as it is; the parameter file that
// holds it is written readable by its owner only.
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

}  // namespace bw::net
