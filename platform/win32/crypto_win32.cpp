// SHA-256 and random bytes from CryptoAPI. SHA-256 needs the AES provider
// type (Windows XP SP3 and later); where it is missing the digest comes back
// empty and the caller refuses to go on. Random bytes come from the base
// provider, which every supported Windows has.
#include <windows.h>
#include <wincrypt.h>

#include "platform/crypto.h"

// The headers offer these only to builds for Windows XP and later (this one
// is for Windows 2000); their values are fixed.
#ifndef PROV_RSA_AES
#define PROV_RSA_AES 24
#endif
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace bw::net {
namespace {

class Provider {
 public:
  explicit Provider(DWORD type) {
    if (!CryptAcquireContextA(&handle_, nullptr, nullptr, type, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
      handle_ = 0;
  }
  ~Provider() {
    if (handle_) CryptReleaseContext(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

}  // namespace

std::string Sha256(const std::string& data) {
  Provider provider(PROV_RSA_AES);
  if (!provider.get()) return {};
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, &hash)) return {};
  std::string digest(32, '\0');
  DWORD size = static_cast<DWORD>(digest.size());
  const bool ok =
      CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0) &&
      CryptGetHashParam(hash, HP_HASHVAL, reinterpret_cast<BYTE*>(&digest[0]), &size, 0) && size == 32;
  CryptDestroyHash(hash);
  return ok ? digest : std::string();
}

bool RandomBytes(void* buffer, std::size_t length) {
  Provider provider(PROV_RSA_FULL);
  return provider.get() && CryptGenRandom(provider.get(), static_cast<DWORD>(length), static_cast<BYTE*>(buffer));
}

}  // namespace bw::net
