// TLS for an account that asks for it (UseTLS): POP3S from the first byte,
// or STLS after the greeting. Whatever fails here ends the connection before
// the login, so neither the user name nor the password ever leaves the
// machine unprotected or to a server whose certificate was not accepted.
#include <memory>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"

namespace bw {

int Pop3Checker::AttachConnection(net::SocketHandle s, net::TlsStream** tls) {
  *tls = nullptr;
  if (UseTLS == 0) {
    reader_.Attach(std::make_unique<net::SocketStream>(s));
    return ConnectOk;
  }
  auto stream = std::make_unique<net::TlsStream>(s);  // owns and closes the socket
  if (UseTLS != 1 && UseTLS != 2) {
    // A value this version does not know may ask for more protection than
    // it can give: nothing is sent rather than less than was asked for.
    LogWrite("%s : UseTLS=%d は使えない値です. 接続を終了します.\n", ConnectionName.c_str(), UseTLS);
    CheckState = Suspended;
    ErrorCause = CauseAccount;
    return ConnectTlsFailed;
  }
  if (UseTLS == 1 && SecureStream(*stream) != 0) return ConnectTlsFailed;
  *tls = stream.get();
  reader_.Attach(std::move(stream));
  return ConnectOk;
}

int Pop3Checker::StartTlsAfterGreeting(net::TlsStream* tls, char* line) {
  const int rc = SendCommand("STLS", line);
  if (rc != 0) {
    // No fall-back to the clear: the account asked for TLS.
    if (rc == LineNegativeReply)
      LogWrite("%s : ｻｰﾊﾞがSTLSを拒否しました. 認証情報は送信しません.\n", ConnectionName.c_str());
    reader_.Close(false);
    if (rc == LineTimeout && ContinueTimeout) {
      CheckState = RetryWait;
      ErrorCause = CauseConnection;
    } else {
      CheckState = Suspended;
      ErrorCause = rc == LineNegativeReply ? CauseAccount : CauseConnection;
    }
    return ConnectTlsFailed;
  }
  // Bytes after the "+OK" came in the clear, where anyone on the way could
  // have put them; read after the handshake they would pass for protected
  // replies.
  if (UnreadBytes() > 0) {
    LogWrite("%s : STLSの応答の後に余分なﾃﾞｰﾀがあります. 認証情報は送信しません.\n", ConnectionName.c_str());
    reader_.Close(false);
    CheckState = Suspended;
    ErrorCause = CauseAccount;
    return ConnectTlsFailed;
  }
  if (SecureStream(*tls) != 0) {
    reader_.Close(false);
    return ConnectTlsFailed;
  }
  return ConnectOk;
}

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

int Pop3Checker::SecureStream(net::TlsStream& stream) {
  // The handshake as a whole gets the time one reply line gets.
  const int rc = stream.StartTls(HostName, WaitLimitMs(TOofSendRecv_Sec));
  const net::TlsClient& session = *stream.Session();
  const char* name = ConnectionName.c_str();
  if (rc == net::kTlsOk) {
    LogWrite("%s : TLS Protocol=%s, Cipher=%s\n", name, session.Protocol().c_str(), session.Cipher().c_str());
    return 0;
  }
  if (net::IsCertificateFailure(rc)) {
    LogWrite("%s : ｻｰﾊﾞ証明書を受け入れません[%s] %s%s. 認証情報は送信しません.\n", name,
             net::TlsCodeName(rc), session.Reason().c_str(), CertificateAdvice(rc));
    CheckState = Suspended;
    ErrorCause = CauseAccount;
    return rc;
  }
  LogWrite("%s : TLSﾊﾝﾄﾞｼｪｲｸに失敗しました[%s] %s.\n", name, net::TlsCodeName(rc), session.Reason().c_str());
  CheckState = (rc == net::kTlsTimedOut && ContinueTimeout) ? RetryWait : Suspended;
  ErrorCause = rc == net::kTlsSetupFailed ? CauseSocket : CauseConnection;
  return rc;
}

}  // namespace bw
