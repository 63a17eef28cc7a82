// trust_test_ca: puts a test CA into (or takes it out of) the current user's
// Root store of the Wine prefix the tests run in, so that the TLS tests
// trust their own CA there and nowhere else.
//   trust_test_ca add|remove CA.crt   (PEM)
// Exit status 0 on success.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "add") != 0 && std::strcmp(argv[1], "remove") != 0)) {
    std::fprintf(stderr, "usage: trust_test_ca add|remove CA.crt\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  std::stringstream pem;
  pem << in.rdbuf();
  const std::string text = pem.str();
  DWORD size = 0;
  if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
    std::fprintf(stderr, "%s: not a PEM certificate\n", argv[2]);
    return 1;
  }
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);

  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!root) {
    std::fprintf(stderr, "Root store: error %lu\n", GetLastError());
    return 1;
  }
  int status = 0;
  if (argv[1][0] == 'a') {
    if (!CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
      std::fprintf(stderr, "add: error %lu\n", GetLastError());
      status = 1;
    }
  } else {
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size);
    PCCERT_CONTEXT found =
        wanted ? CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr)
               : nullptr;
    if (found && !CertDeleteCertificateFromStore(found)) status = 1;  // frees `found`
    if (wanted) CertFreeCertificateContext(wanted);
  }
  CertCloseStore(root, 0);
  return status;
}
