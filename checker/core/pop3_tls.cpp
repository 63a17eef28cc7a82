// The TLS handshake of a POP3 connection. Whatever fails here ends the
// connection before the login, so neither the user name nor the password
// ever leaves the machine to a server whose certificate was not accepted.
#include "checker/core/pop3_tls.h"

#include <utility>

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

StepResult OpenAccountStream(const AncestryPop3Checker& account, net::SocketHandle s, int timeoutMs,
                             std::unique_ptr<net::ByteStream>* out, net::TlsStream** tls) {
  *tls = nullptr;
  const int useTls = account.UseTLS;
  if (useTls == 0) {
    *out = std::make_unique<net::SocketStream>(s);
    return {CheckStep::TlsSetting, 0};
  }
  auto stream = std::make_unique<net::TlsStream>(s);  // owns and closes the socket
  if (useTls != 1 && useTls != 2) {
    LogWrite("%s : UseTLS=%d は使えない値です. 接続を終了します.\n", account.ConnectionName.c_str(), useTls);
    return {CheckStep::TlsSetting, 1};
  }
  if (useTls == 1) {
    // The handshake as a whole gets the time one reply line gets.
    const int rc = SecureStream(*stream, account.HostName, timeoutMs, account.ConnectionName.c_str());
    if (rc != net::kTlsOk) return {CheckStep::Handshake, rc};
  }
  *tls = stream.get();
  *out = std::move(stream);
  return {CheckStep::Handshake, 0};
}

}  // namespace bw
