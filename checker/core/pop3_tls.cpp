// The TLS handshake of a POP3 connection. Whatever fails here ends the
// connection before the login, so neither the user name nor the password
// ever leaves the machine to a server whose certificate was not accepted.
#include "checker/core/pop3_tls.h"

#include "common/core/log.h"

namespace bw {
namespace {

// What the user can do about a CA this machine does not trust. A private
// CA mostly shows as an incomplete chain: such servers send their own
// certificate only, so no chain reaches the CA at all.
const char* CertificateAdvice(int code) {
  switch (code) {
    case net::kTlsIncompleteChain:
      return " (発行元のCAを信頼されたﾙｰﾄに登録するか、ｻｰﾊﾞに中間CA証明書も送らせてください)";
    case net::kTlsUntrustedRoot:
      return " (発行元のCAを信頼されたﾙｰﾄに登録してください)";
    default:
      return "";
  }
}

}  // namespace

int SecureStream(net::TlsStream& stream, const std::string& host, int timeoutMs,
                 const char* name) {
  const int rc = stream.StartTls(host, timeoutMs);
  const net::TlsClient& session = *stream.Session();
  if (rc == net::kTlsOk) {
    LogWrite("%s : TLS Protocol=%s, Cipher=%s\n", name, session.Protocol().c_str(), session.Cipher().c_str());
  } else if (net::IsCertificateFailure(rc)) {
    LogWrite("%s : ｻｰﾊﾞ証明書を受け入れません[%s] %s%s. 認証情報は送信しません.\n", name,
             net::TlsCodeName(rc), session.Reason().c_str(), CertificateAdvice(rc));
  } else {
    LogWrite("%s : TLSﾊﾝﾄﾞｼｪｲｸに失敗しました[%s] %s.\n", name, net::TlsCodeName(rc), session.Reason().c_str());
  }
  return rc;
}

}  // namespace bw
