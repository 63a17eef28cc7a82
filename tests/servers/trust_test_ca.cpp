// trust_test_ca: puts a test CA into (or takes it out of) the current user's
// Root store of the Wine prefix the tests run in, so that the TLS tests
// trust their own CA there and nowhere else.
//   trust_test_ca add CA.crt            trust the CA (PEM)
//   trust_test_ca remove CA.crt...      take out every trusted certificate
//                                       with the subject of each CA, left
//                                       by this run or an earlier one
//   trust_test_ca check CA.crt...       list the trusted certificates with
//                                       those subjects
// Exit status 0 on success; remove fails when a certificate is still
// trusted afterwards, and check when any is trusted at all.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The DER bytes of a PEM certificate file; empty when it is not one.
std::vector<BYTE> ReadPem(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream pem;
  pem << in.rdbuf();
  const std::string text = pem.str();
  DWORD size = 0;
  if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
    return {};
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
  der.resize(size);
  return der;
}

HCERTSTORE OpenRoot() {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
}

std::string SubjectText(PCCERT_CONTEXT cert) {
  char text[256] = "";
  CertNameToStrA(X509_ASN_ENCODING, &cert->pCertInfo->Subject, CERT_X500_NAME_STR, text, sizeof text);
  return text;
}

// The SHA-1 thumbprint in upper-case hex: the name of the certificate's key
// in the registry behind the store.
std::string Thumbprint(PCCERT_CONTEXT cert) {
  BYTE hash[20];
  DWORD size = sizeof hash;
  if (!CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, hash, &size)) return {};
  std::string hex;
  char byte[3];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02X", hash[i]);
    hex += byte;
  }
  return hex;
}

// The thumbprints of the trusted certificates whose subject is `subject`'s.
std::vector<std::string> Trusted(HCERTSTORE root, PCCERT_CONTEXT subject) {
  std::vector<std::string> found;
  PCCERT_CONTEXT cert = nullptr;
  while ((cert = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                            &subject->pCertInfo->Subject, cert)) != nullptr)
    found.push_back(Thumbprint(cert));
  return found;
}

// Takes out every trusted certificate with `subject`'s subject. The store's
// own delete is not enough under Wine: the certificate stays in the
// registry store behind the Root collection. So the key it lives in goes
// as well.
void RemoveAll(HCERTSTORE root, PCCERT_CONTEXT subject) {
  for (const std::string& thumbprint : Trusted(root, subject)) {
    PCCERT_CONTEXT cert = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                                     &subject->pCertInfo->Subject, nullptr);
    if (cert) CertDeleteCertificateFromStore(cert);  // frees `cert`
    const std::string key = "Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + thumbprint;
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 2 ? argv[1] : "";
  if ((command != "add" || argc != 3) && command != "remove" && command != "check") {
    std::fprintf(stderr, "usage: trust_test_ca add CA.crt | remove CA.crt... | check CA.crt...\n");
    return 2;
  }
  std::vector<PCCERT_CONTEXT> cas;
  for (int i = 2; i < argc; ++i) {
    const std::vector<BYTE> der = ReadPem(argv[i]);
    PCCERT_CONTEXT ca =
        der.empty() ? nullptr : CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), DWORD(der.size()));
    if (!ca) {
      std::fprintf(stderr, "%s: not a PEM certificate\n", argv[i]);
      return 1;
    }
    cas.push_back(ca);
  }

  int status = 0;
  if (command == "add") {
    HCERTSTORE root = OpenRoot();
    if (!root || !CertAddCertificateContextToStore(root, cas[0], CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
      std::fprintf(stderr, "add: error %lu\n", GetLastError());
      status = 1;
    }
    if (root) CertCloseStore(root, 0);
  } else {
    if (command == "remove") {
      HCERTSTORE root = OpenRoot();
      if (root) {
        for (PCCERT_CONTEXT ca : cas) RemoveAll(root, ca);
        CertCloseStore(root, 0);
      }
    }
    // What a program opening the store now would trust.
    HCERTSTORE root = OpenRoot();
    if (!root) {
      std::fprintf(stderr, "Root store: error %lu\n", GetLastError());
      return 1;
    }
    for (PCCERT_CONTEXT ca : cas) {
      for (const std::string& thumbprint : Trusted(root, ca)) {
        std::printf("trusted: %s %s\n", SubjectText(ca).c_str(), thumbprint.c_str());
        status = 1;
      }
    }
    CertCloseStore(root, 0);
  }
  for (PCCERT_CONTEXT ca : cas) CertFreeCertificateContext(ca);
  return status;
}
