// The parts of the TLS client both implementations share: result names, the
// suite's name, the extra CA file and the bounded socket transfers.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/tls.h"
#include "platform/tls_io.h"

namespace bw::net {
namespace {

std::string& ExtraCaPath() {
  static std::string path;
  return path;
}

}  // namespace

const char* TlsCodeName(int code) {
  switch (code) {
    case kTlsOk: return "ok";
    case kTlsTimedOut: return "time-out";
    case kTlsWaitFailed: return "wait failed";
    case kTlsSocketFailed: return "socket error";
    case kTlsClosed: return "closed by the server";
    case kTlsProtocolError: return "protocol error";
    case kTlsSetupFailed: return "set-up failed";
    case kTlsUntrustedRoot: return "untrusted root";
    case kTlsIncompleteChain: return "incomplete chain";
    case kTlsExpired: return "expired";
    case kTlsWrongName: return "wrong name";
    case kTlsWrongUsage: return "wrong usage";
    case kTlsBadCertificate: return "bad certificate";
    default: return "unknown";
  }
}

namespace {

constexpr const char kUnknownPart[] = "<unknown>";

std::string Hex(const char* prefix, unsigned id) {
  char text[32];
  std::snprintf(text, sizeof text, "%s0x%04X", prefix, id);
  return text;
}

// The CryptoAPI's ALG_ID values, named as suite names name them.
std::string ExchangeName(unsigned id) {
  switch (id) {
    case 0xA400: return "RSA";     // CALG_RSA_KEYX
    case 0xAA02: return "DHE";     // CALG_DH_EPHEM
    case 0xAA05: return "ECDH";    // CALG_ECDH
    case 0xAE06: return "ECDHE";   // CALG_ECDH_EPHEM
  }
  return Hex("KX", id);
}

std::string CipherName(unsigned id, unsigned bits) {
  switch (id) {
    case 0x660E: return "AES_128";  // CALG_AES_128
    case 0x660F: return "AES_192";  // CALG_AES_192
    case 0x6610: return "AES_256";  // CALG_AES_256
    case 0x6611: return "AES_" + std::to_string(bits);  // CALG_AES
    case 0x6603: return "3DES_EDE";  // CALG_3DES
    case 0x6801: return "RC4_" + std::to_string(bits);  // CALG_RC4
  }
  return Hex("CIPHER", id) + "_" + std::to_string(bits);
}

// An AEAD suite's last part is the hash of its key derivation, which the
// connection often does not report: the standard suites pair 256-bit keys
// with SHA384 and the others with SHA256.
std::string HashName(unsigned id, const std::string& cipherPart, unsigned bits) {
  switch (id) {
    case 0x8003: return "MD5";     // CALG_MD5
    case 0x8004: return "SHA";     // CALG_SHA1
    case 0x800C: return "SHA256";  // CALG_SHA_256
    case 0x800D: return "SHA384";  // CALG_SHA_384
    case 0x800E: return "SHA512";  // CALG_SHA_512
  }
  const bool aead = cipherPart.find("GCM") != std::string::npos || cipherPart.find("CCM") != std::string::npos ||
                    cipherPart.find("CHACHA20") != std::string::npos;
  if (aead) return bits >= 256 && cipherPart.find("CHACHA20") == std::string::npos ? "SHA384" : "SHA256";
  return Hex("HASH", id);
}

// Each "<unknown>" in `part` replaced by `name`.
std::string Filled(std::string part, const std::string& name) {
  for (std::size_t at; (at = part.find(kUnknownPart)) != std::string::npos;)
    part.replace(at, sizeof kUnknownPart - 1, name);
  return part;
}

}  // namespace

std::string TlsSuiteName(const std::string& systemName, const TlsSuiteParts& parts) {
  const std::string cipher = CipherName(parts.cipher, parts.cipherBits);
  if (systemName.empty())
    return "TLS_" + ExchangeName(parts.exchange) + "_WITH_" + cipher + "_" +
           HashName(parts.hash, cipher, parts.cipherBits);
  if (systemName.find(kUnknownPart) == std::string::npos) return systemName;
  // TLS_<exchange>_WITH_<cipher>_<hash>: each part filled from what it names.
  const std::size_t with = systemName.find("_WITH_");
  if (with == std::string::npos) return Filled(systemName, cipher);
  const std::string exchange = Filled(systemName.substr(0, with), ExchangeName(parts.exchange));
  const std::string rest = systemName.substr(with + 6);
  const std::size_t last = rest.rfind('_');
  std::string cipherPart = last == std::string::npos ? rest : rest.substr(0, last);
  std::string hashPart = last == std::string::npos ? std::string(kUnknownPart) : rest.substr(last + 1);
  cipherPart = Filled(cipherPart, cipher);
  hashPart = Filled(hashPart, HashName(parts.hash, cipherPart, parts.cipherBits));
  return exchange + "_WITH_" + cipherPart + "_" + hashPart;
}

void SetExtraCaFile(const std::string& path) { ExtraCaPath() = path; }
const std::string& ExtraCaFile() { return ExtraCaPath(); }

namespace tls_io {

Deadline::Deadline(int timeoutMs)
    : unlimited_(timeoutMs < 0),
      end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0))) {}

int Deadline::LeftMs() const {
  if (unlimited_) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

int SendAll(SocketHandle s, const void* data, int length, const Deadline& deadline) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    SetLastError(0);
    const int ready = WaitWritable(s, deadline.LeftMs());
    if (ready < 0) return kTlsWaitFailed;
    if (ready == 0) return kTlsTimedOut;
    const int n = Send(s, p, length);
    if (n <= 0) return kTlsSocketFailed;
    p += n;
    length -= n;
  }
  return kTlsOk;
}

int ReceiveSome(SocketHandle s, void* data, int capacity, const Deadline& deadline) {
  SetLastError(0);
  const int ready = WaitReadable(s, deadline.LeftMs());
  if (ready < 0) return kTlsWaitFailed;
  if (ready == 0) return kTlsTimedOut;
  const int n = Receive(s, data, capacity);
  return n < 0 ? kTlsSocketFailed : n;
}

}  // namespace tls_io
}  // namespace bw::net
