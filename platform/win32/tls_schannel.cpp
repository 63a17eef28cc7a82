// TLS client with SChannel through SSPI. The server's certificate is always
// checked here, by the chain engine and the SSL policy, never left to
// SChannel: some SChannel builds (Wine's) do not check it at all, and one
// way everywhere gives the same verdicts on every system.
#include <windows.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/tls.h"
#include "platform/tls_io.h"
#include "platform/win32/wide_text.h"

namespace bw::net {
namespace {

using tls_io::Deadline;

// Encrypted bytes held beyond this are not a TLS record being assembled.
constexpr std::size_t kMaxEncryptedHeld = 64 * 1024;

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

std::string Hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

const char* ProtocolName(DWORD protocol) {
  if (protocol & SP_PROT_TLS1_3_CLIENT) return "TLSv1.3";
  if (protocol & SP_PROT_TLS1_2_CLIENT) return "TLSv1.2";
  if (protocol & SP_PROT_TLS1_1_CLIENT) return "TLSv1.1";
  if (protocol & SP_PROT_TLS1_0_CLIENT) return "TLSv1";
  return "unknown";
}

// The SSL policy's verdict in the codes every build reports.
int PolicyCode(DWORD error) {
  switch (static_cast<HRESULT>(error)) {
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
      return kTlsUntrustedRoot;
    case CERT_E_CHAINING:
      return kTlsIncompleteChain;
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
      return kTlsExpired;
    case CERT_E_CN_NO_MATCH:
      return kTlsWrongName;
    case CERT_E_WRONG_USAGE:
      return kTlsWrongUsage;
    default:
      return kTlsBadCertificate;
  }
}

// The chain's own error bits, for what the policy lets through: Wine's
// policy passes a chain that stops short of any root. Revocation that could
// not be checked is not held against the server (nothing asks for it).
int ChainCode(DWORD bits, std::string& reason) {
  bits &= ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
  if (bits == 0) return kTlsOk;
  reason = "certificate chain status " + Hex(static_cast<long>(bits));
  if (bits & CERT_TRUST_IS_NOT_TIME_VALID) return kTlsExpired;
  if (bits & CERT_TRUST_IS_PARTIAL_CHAIN) return kTlsIncompleteChain;
  if (bits & CERT_TRUST_IS_UNTRUSTED_ROOT) return kTlsUntrustedRoot;
  if (bits & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return kTlsWrongUsage;
  return kTlsBadCertificate;
}

class SchannelClient final : public TlsClient {
 public:
  SchannelClient() {
    SecInvalidateHandle(&credentials_);
    SecInvalidateHandle(&context_);
  }

  ~SchannelClient() override {
    if (SecIsValidHandle(&context_)) DeleteSecurityContext(&context_);
    if (SecIsValidHandle(&credentials_)) FreeCredentialsHandle(&credentials_);
  }

  int Handshake(SocketHandle socket, const std::string& hostName, int timeoutMs) override {
    socket_ = socket;
    host_ = bw::Wide(hostName);
    const Deadline deadline(timeoutMs);

    SCHANNEL_CRED settings;
    std::memset(&settings, 0, sizeof settings);
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry;
    SECURITY_STATUS status = AcquireCredentialsHandleW(
        nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &settings,
        nullptr, nullptr, &credentials_, &expiry);
    if (status != SEC_E_OK) {
      SecInvalidateHandle(&credentials_);
      return Fail(kTlsSetupFailed, "AcquireCredentialsHandle " + Hex(status));
    }

    bool first = true;
    bool needMore = false;
    for (;;) {
      if (needMore) {
        const int filled = Fill(deadline);
        if (filled == 0) return Fail(kTlsClosed, "the server closed the connection during the handshake");
        if (filled < 0) return Fail(filled, "waiting for the server's handshake");
      }
      // Some SChannel builds wait for the rest of any "record", however
      // unlike TLS its first bytes are; a peer that is not speaking TLS
      // is recognised at once instead.
      if (!first && !LooksLikeHandshakeRecord())
        return Fail(kTlsProtocolError, "the server does not answer in TLS");
      SecBuffer input[2];
      input[0] = {static_cast<unsigned long>(encrypted_.size()), SECBUFFER_TOKEN, encrypted_.data()};
      input[1] = {0, SECBUFFER_EMPTY, nullptr};
      SecBufferDesc inputDesc = {SECBUFFER_VERSION, 2, input};
      SecBuffer output = {0, SECBUFFER_TOKEN, nullptr};
      SecBufferDesc outputDesc = {SECBUFFER_VERSION, 1, &output};
      unsigned long attributes = 0;
      status = InitializeSecurityContextW(&credentials_, first ? nullptr : &context_, &host_[0],
                                          kContextFlags, 0, 0, first ? nullptr : &inputDesc, 0,
                                          first ? &context_ : nullptr, &outputDesc, &attributes,
                                          &expiry);
      if (first && FAILED(status)) {
        SecInvalidateHandle(&context_);  // two statements: the braces matter
      }
      first = false;
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        needMore = true;
        continue;
      }
      // The next flight, or an alert telling the server why we stop.
      int sent = kTlsOk;
      if (output.pvBuffer) {
        if (output.cbBuffer > 0)
          sent = tls_io::SendAll(socket_, output.pvBuffer, static_cast<int>(output.cbBuffer), deadline);
        FreeContextBuffer(output.pvBuffer);
      }
      if (FAILED(status)) return Fail(kTlsProtocolError, "handshake refused " + Hex(status));
      if (sent != kTlsOk) return Fail(sent, "sending a handshake flight");
      KeepExtra(input[1]);
      if (status == SEC_E_OK) break;
      if (status == SEC_I_INCOMPLETE_CREDENTIALS)
        return Fail(kTlsSetupFailed, "the server asks for a client certificate");
      if (status != SEC_I_CONTINUE_NEEDED) return Fail(kTlsProtocolError, "handshake status " + Hex(status));
      needMore = encrypted_.empty();
    }

    if (int rc = VerifyCertificate()) return rc;
    status = QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
    if (status != SEC_E_OK) return Fail(kTlsSetupFailed, "stream sizes " + Hex(status));
    DescribeConnection();
    ready_ = true;
    return kTlsOk;
  }

  int Send(const void* data, int length, int timeoutMs) override {
    if (!ready_) return kTlsSetupFailed;
    const Deadline deadline(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      const unsigned long chunk = std::min<unsigned long>(static_cast<unsigned long>(length), sizes_.cbMaximumMessage);
      std::vector<char> message(sizes_.cbHeader + chunk + sizes_.cbTrailer);
      std::memcpy(message.data() + sizes_.cbHeader, p, chunk);
      SecBuffer parts[4];
      parts[0] = {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, message.data()};
      parts[1] = {chunk, SECBUFFER_DATA, message.data() + sizes_.cbHeader};
      parts[2] = {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, message.data() + sizes_.cbHeader + chunk};
      parts[3] = {0, SECBUFFER_EMPTY, nullptr};
      SecBufferDesc desc = {SECBUFFER_VERSION, 4, parts};
      const SECURITY_STATUS status = EncryptMessage(&context_, 0, &desc, 0);
      if (status != SEC_E_OK) return Fail(kTlsProtocolError, "EncryptMessage " + Hex(status));
      const int total = static_cast<int>(parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer);
      if (int rc = tls_io::SendAll(socket_, message.data(), total, deadline)) return rc;
      p += chunk;
      length -= static_cast<int>(chunk);
    }
    return kTlsOk;
  }

  int Receive(void* data, int capacity, int timeoutMs) override {
    if (!ready_) return kTlsSetupFailed;
    const Deadline deadline(timeoutMs);
    for (;;) {
      if (!plain_.empty()) {
        const int n = std::min(capacity, static_cast<int>(plain_.size()));
        std::memcpy(data, plain_.data(), static_cast<std::size_t>(n));
        plain_.erase(plain_.begin(), plain_.begin() + n);
        return n;
      }
      if (peerClosed_) return 0;
      if (!encrypted_.empty()) {
        const int rc = Decrypt();
        if (rc < 0) return rc;
        if (rc > 0) continue;  // a record was taken; it may have held data
      }
      const int filled = Fill(deadline);
      if (filled <= 0) return filled;  // 0: closed without close_notify
    }
  }

  int Pending() const override { return static_cast<int>(plain_.size()); }

  void Shutdown(int timeoutMs) override {
    if (!ready_) return;
    ready_ = false;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer token = {sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc tokenDesc = {SECBUFFER_VERSION, 1, &token};
    if (ApplyControlToken(&context_, &tokenDesc) != SEC_E_OK) return;
    SecBuffer output = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outputDesc = {SECBUFFER_VERSION, 1, &output};
    unsigned long attributes = 0;
    TimeStamp expiry;
    const SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials_, &context_, &host_[0], kContextFlags, 0, 0, nullptr,
                                   0, &context_, &outputDesc, &attributes, &expiry);
    if (output.pvBuffer) {
      if (!FAILED(status) && output.cbBuffer > 0)
        tls_io::SendAll(socket_, output.pvBuffer, static_cast<int>(output.cbBuffer), Deadline(timeoutMs));
      FreeContextBuffer(output.pvBuffer);
    }
  }

 private:
  // Reads what the server sent into the encrypted buffer: a byte count, 0
  // when the server closed, or a negative code.
  int Fill(const Deadline& deadline) {
    if (encrypted_.size() > kMaxEncryptedHeld) return Fail(kTlsProtocolError, "record too long");
    char chunk[16384];
    const int n = tls_io::ReceiveSome(socket_, chunk, sizeof chunk, deadline);
    if (n > 0) encrypted_.insert(encrypted_.end(), chunk, chunk + n);
    return n;
  }

  // The buffer starts with a record header of the handshake phase: record
  // type 20 to 22 (cipher change, alert or handshake) and protocol major
  // version 3. Too few bytes to tell pass.
  bool LooksLikeHandshakeRecord() const {
    if (encrypted_.empty()) return true;
    const auto type = static_cast<unsigned char>(encrypted_[0]);
    if (type < 0x14 || type > 0x16) return false;
    return encrypted_.size() < 2 || encrypted_[1] == 0x03;
  }

  // Keeps only the bytes SChannel did not take (they belong to the next
  // record), or none.
  void KeepExtra(const SecBuffer& extra) {
    if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= encrypted_.size())
      encrypted_.erase(encrypted_.begin(), encrypted_.end() - extra.cbBuffer);
    else
      encrypted_.clear();
  }

  // Decrypts one record from the encrypted buffer: 1 when a record was
  // taken, 0 when more bytes are needed, or a negative code.
  int Decrypt() {
    SecBuffer parts[4];
    parts[0] = {static_cast<unsigned long>(encrypted_.size()), SECBUFFER_DATA, encrypted_.data()};
    for (int i = 1; i < 4; ++i) parts[i] = {0, SECBUFFER_EMPTY, nullptr};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, parts};
    // Record type 21: an alert (the header stays in the clear up to TLS 1.2).
    const bool alert = static_cast<unsigned char>(encrypted_[0]) == 21;
    const SECURITY_STATUS status = DecryptMessage(&context_, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return 0;
    if (status != SEC_E_OK && status != SEC_I_CONTEXT_EXPIRED && status != SEC_I_RENEGOTIATE)
      return Fail(kTlsProtocolError, "DecryptMessage " + Hex(status));
    // The data part points into the encrypted buffer: copy it out before
    // the buffer is cut down to the extra bytes.
    const SecBuffer* extra = nullptr;
    bool data = false;
    for (const SecBuffer& part : parts) {
      if (part.BufferType == SECBUFFER_DATA && part.pvBuffer && part.cbBuffer > 0) {
        const char* bytes = static_cast<const char*>(part.pvBuffer);
        plain_.insert(plain_.end(), bytes, bytes + part.cbBuffer);
        data = true;
      } else if (part.BufferType == SECBUFFER_EXTRA) {
        extra = &part;
      }
    }
    if (extra)
      KeepExtra(*extra);
    else
      encrypted_.clear();
    // The server's close_notify ends the data at once, whatever the TCP
    // connection does. SChannel reports it as SEC_I_CONTEXT_EXPIRED; Wine's
    // passes the alert as SEC_E_OK without data (any other alert fails to
    // decrypt there), and waiting for more would last until the time-out.
    if (status == SEC_I_CONTEXT_EXPIRED || (status == SEC_E_OK && alert && !data)) peerClosed_ = true;
    if (status == SEC_I_RENEGOTIATE) return Fail(kTlsProtocolError, "the server asked to renegotiate");
    return 1;
  }

  int VerifyCertificate() {
    PCCERT_CONTEXT certificate = nullptr;
    SECURITY_STATUS status = QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    if (status != SEC_E_OK || !certificate)
      return Fail(kTlsBadCertificate, "the server sent no certificate");

    LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara;
    std::memset(&chainPara, 0, sizeof chainPara);
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    // The server's other certificates (its intermediates) come with the
    // certificate's own store.
    const BOOL built = CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore,
                                               &chainPara, 0, nullptr, &chain);
    const DWORD chainError = GetLastError();
    CertFreeCertificateContext(certificate);
    if (!built || !chain) return Fail(kTlsBadCertificate, "no chain could be built " + Hex(static_cast<long>(chainError)));

    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl;
    std::memset(&ssl, 0, sizeof ssl);
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &host_[0];
    CERT_CHAIN_POLICY_PARA policy;
    std::memset(&policy, 0, sizeof policy);
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS verdict;
    std::memset(&verdict, 0, sizeof verdict);
    verdict.cbSize = sizeof verdict;
    const BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict);
    const DWORD bits = chain->TrustStatus.dwErrorStatus;
    CertFreeCertificateChain(chain);
    if (!checked) return Fail(kTlsBadCertificate, "the SSL policy could not be checked");
    if (verdict.dwError != 0)
      return Fail(PolicyCode(verdict.dwError), "SSL policy " + Hex(static_cast<long>(verdict.dwError)));
    std::string reason;
    if (int rc = ChainCode(bits, reason)) return Fail(rc, reason);
    return kTlsOk;
  }

  void DescribeConnection() {
    SecPkgContext_ConnectionInfo info;
    std::memset(&info, 0, sizeof info);
    TlsSuiteParts parts;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK) {
      protocol_ = ProtocolName(info.dwProtocol);
      parts = {info.aiExch, info.aiCipher, info.dwCipherStrength, info.aiHash};
    }
    SecPkgContext_CipherInfo cipher;
    std::memset(&cipher, 0, sizeof cipher);
    std::string name;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_CIPHER_INFO, &cipher) == SEC_E_OK) name = Narrow(cipher.szCipherSuite);
    // Completed where the system's name is missing or has unknown parts.
    cipher_ = TlsSuiteName(name, parts);
  }

  int Fail(int code, const std::string& reason) {
    reason_ = reason;
    return code;
  }

  SocketHandle socket_ = kInvalidSocket;
  std::wstring host_;
  CredHandle credentials_;
  CtxtHandle context_;
  SecPkgContext_StreamSizes sizes_ = {};
  bool ready_ = false;
  bool peerClosed_ = false;
  std::vector<char> encrypted_;  // received, not yet decrypted
  std::vector<char> plain_;      // decrypted, not yet taken
};

}  // namespace

std::unique_ptr<TlsClient> TlsClient::Create() { return std::make_unique<SchannelClient>(); }

}  // namespace bw::net
