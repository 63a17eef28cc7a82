// TLS client with OpenSSL. The engine works on memory buffers and this file
// moves the bytes between them and the socket, so that every wait goes
// through the socket layer and is bounded like any other wait of a check.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <string>

#include "platform/tls.h"
#include "platform/tls_io.h"

namespace bw::net {
namespace {

using tls_io::Deadline;

// The certificate verdict of OpenSSL in the codes every build reports.
int CertificateCode(long verify) {
  switch (verify) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return kTlsUntrustedRoot;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      return kTlsIncompleteChain;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return kTlsExpired;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return kTlsWrongName;
    case X509_V_ERR_INVALID_PURPOSE:
      return kTlsWrongUsage;
    default:
      return kTlsBadCertificate;
  }
}

// The first queued OpenSSL error as text, the queue emptied.
std::string TakeErrorText() {
  const unsigned long e = ERR_get_error();
  ERR_clear_error();
  if (e == 0) return "no detail";
  char text[256];
  ERR_error_string_n(e, text, sizeof text);
  return text;
}

bool IsDottedAddress(const std::string& host) { return !host.empty() && host[0] >= '0' && host[0] <= '9'; }

class OpenSslClient final : public TlsClient {
 public:
  ~OpenSslClient() override {
    if (ssl_) SSL_free(ssl_);  // frees both memory buffers too
    if (ctx_) SSL_CTX_free(ctx_);
  }

  int Handshake(SocketHandle socket, const std::string& hostName, int timeoutMs) override {
    socket_ = socket;
    const Deadline deadline(timeoutMs);
    ERR_clear_error();
    if (int rc = SetUp(hostName)) return rc;
    for (;;) {
      ERR_clear_error();
      const int done = SSL_do_handshake(ssl_);
      const int error = done == 1 ? SSL_ERROR_NONE : SSL_get_error(ssl_, done);
      // Whatever the engine wrote (the next flight, or an alert telling the
      // server why we stop) goes out before anything else happens.
      const int flushed = Flush(deadline);
      if (done == 1) {
        if (flushed != kTlsOk) return Fail(flushed, "sending the last handshake flight");
        protocol_ = SSL_get_version(ssl_);
        cipher_ = SSL_get_cipher_name(ssl_);
        return kTlsOk;
      }
      if (error == SSL_ERROR_WANT_READ) {
        if (flushed != kTlsOk) return Fail(flushed, "sending a handshake flight");
        const int filled = Fill(deadline);
        if (filled == 0) return Fail(kTlsClosed, "the server closed the connection during the handshake");
        if (filled < 0) return Fail(filled, "waiting for the server's handshake");
        continue;
      }
      const long verify = SSL_get_verify_result(ssl_);
      if (verify != X509_V_OK) {
        ERR_clear_error();
        return Fail(CertificateCode(verify), X509_verify_cert_error_string(verify));
      }
      return Fail(kTlsProtocolError, TakeErrorText());
    }
  }

  int Send(const void* data, int length, int timeoutMs) override {
    if (!ssl_) return kTlsSetupFailed;
    const Deadline deadline(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      ERR_clear_error();
      const int n = SSL_write(ssl_, p, length);
      if (n <= 0) return Fail(kTlsProtocolError, TakeErrorText());
      p += n;
      length -= n;
      if (int rc = Flush(deadline)) return rc;
    }
    return kTlsOk;
  }

  int Receive(void* data, int capacity, int timeoutMs) override {
    if (!ssl_) return kTlsSetupFailed;
    const Deadline deadline(timeoutMs);
    for (;;) {
      ERR_clear_error();
      const int n = SSL_read(ssl_, data, capacity);
      if (n > 0) return n;
      const int error = SSL_get_error(ssl_, n);
      if (error == SSL_ERROR_ZERO_RETURN) return 0;
      if (error != SSL_ERROR_WANT_READ) return Fail(kTlsProtocolError, TakeErrorText());
      // Reading may have produced records of its own (a key update).
      if (int rc = Flush(deadline)) return rc;
      const int filled = Fill(deadline);
      if (filled <= 0) return filled;  // 0: closed without close_notify
    }
  }

  int Pending() const override { return ssl_ ? SSL_pending(ssl_) : 0; }

  void Shutdown(int timeoutMs) override {
    if (!ssl_) return;
    ERR_clear_error();
    SSL_shutdown(ssl_);
    Flush(Deadline(timeoutMs));
    ERR_clear_error();
  }

 private:
  int SetUp(const std::string& hostName) {
    ctx_ = SSL_CTX_new(TLS_client_method());
    if (!ctx_) return Fail(kTlsSetupFailed, TakeErrorText());
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(ctx_) != 1) return Fail(kTlsSetupFailed, TakeErrorText());
    const std::string& extra = ExtraCaFile();
    if (!extra.empty() && SSL_CTX_load_verify_locations(ctx_, extra.c_str(), nullptr) != 1)
      return Fail(kTlsSetupFailed, "CA file " + extra + " unreadable: " + TakeErrorText());

    ssl_ = SSL_new(ctx_);
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!ssl_ || !in || !out) {
      BIO_free(in);
      BIO_free(out);
      return Fail(kTlsSetupFailed, TakeErrorText());
    }
    // An empty input buffer means "wait for more", not end of stream.
    BIO_set_mem_eof_return(in, -1);
    SSL_set_bio(ssl_, in, out);
    in_ = in;
    out_ = out;
    SSL_set_purpose(ssl_, X509_PURPOSE_SSL_SERVER);
    if (IsDottedAddress(hostName)) {
      // An address is matched against the certificate's address entries
      // and is never sent as a server name.
      if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), hostName.c_str()) != 1)
        return Fail(kTlsWrongName, "not a usable address: " + hostName);
    } else if (SSL_set_tlsext_host_name(ssl_, hostName.c_str()) != 1 ||
               SSL_set1_host(ssl_, hostName.c_str()) != 1) {
      return Fail(kTlsWrongName, "not a usable host name: " + hostName);
    }
    SSL_set_connect_state(ssl_);
    return kTlsOk;
  }

  // Sends everything the engine has written.
  int Flush(const Deadline& deadline) {
    char chunk[16384];
    while (BIO_ctrl_pending(out_) > 0) {
      const int n = BIO_read(out_, chunk, sizeof chunk);
      if (n <= 0) break;
      if (int rc = tls_io::SendAll(socket_, chunk, n, deadline)) return rc;
    }
    return kTlsOk;
  }

  // Waits for the server's bytes and hands them to the engine: a byte
  // count, 0 when the server closed, or a negative code.
  int Fill(const Deadline& deadline) {
    char chunk[16384];
    const int n = tls_io::ReceiveSome(socket_, chunk, sizeof chunk, deadline);
    if (n > 0) BIO_write(in_, chunk, n);
    return n;
  }

  int Fail(int code, const std::string& reason) {
    reason_ = reason;
    return code;
  }

  SocketHandle socket_ = kInvalidSocket;
  SSL_CTX* ctx_ = nullptr;
  SSL* ssl_ = nullptr;
  BIO* in_ = nullptr;
  BIO* out_ = nullptr;
};

}  // namespace

std::unique_ptr<TlsClient> TlsClient::Create() { return std::make_unique<OpenSslClient>(); }

}  // namespace bw::net
