// TLS client over an already connected socket of the socket layer: the
// handshake with a fully checked server certificate, then encrypted send and
// receive, every wait bounded by the caller's time-out. OpenSSL natively,
// SChannel (SSPI) on Windows; both speak to the socket only through
// socket.h, so time-outs and error numbers behave as on a plain socket.
#pragma once
#include <memory>
#include <string>

#include "platform/socket.h"

namespace bw::net {

// Results of the TLS operations (0 success, or a byte count where one is
// returned). The certificate codes come only from Handshake, and only before
// any application byte has been sent.
enum TlsCode : int {
  kTlsOk = 0,
  kTlsTimedOut = -2,        // the time-out passed while waiting for the peer
  kTlsWaitFailed = -3,      // the readiness wait failed (LastError tells why)
  kTlsSocketFailed = -4,    // send or recv failed (LastError tells why)
  kTlsClosed = -5,          // the peer closed the connection during the handshake
  kTlsProtocolError = -6,   // not TLS, a fatal alert, or a record that does not decrypt
  kTlsSetupFailed = -7,     // the TLS library could not be set up on this side
  kTlsUntrustedRoot = -10,  // the chain ends in a root that is not trusted
  kTlsIncompleteChain = -11,  // no chain could be built up to any root
  kTlsExpired = -12,        // a certificate is outside its validity dates
  kTlsWrongName = -13,      // the certificate is not for the host name asked for
  kTlsWrongUsage = -14,     // the certificate is not for server authentication
  kTlsBadCertificate = -15,  // any other certificate fault
};

// True for the certificate codes (kTlsUntrustedRoot .. kTlsBadCertificate).
inline bool IsCertificateFailure(int code) { return code <= kTlsUntrustedRoot && code >= kTlsBadCertificate; }

// Short English name of a result code, for log lines ("untrusted root", ...).
const char* TlsCodeName(int code);

// What a connection tells of its suite besides the suite's name: the
// algorithm ids (the CryptoAPI's ALG_ID values) of the key exchange, the
// bulk cipher and the hash, and the cipher's strength in bits.
struct TlsSuiteParts {
  unsigned exchange = 0;
  unsigned cipher = 0;
  unsigned cipherBits = 0;
  unsigned hash = 0;
};
// The suite's name for the log: the system's as it is when whole; one that
// is missing or names a part "<unknown>" (as some systems do for the hash of
// an AEAD suite) is completed from `parts`, and "<unknown>" never remains.
std::string TlsSuiteName(const std::string& systemName, const TlsSuiteParts& parts);

class TlsClient {
 public:
  // The implementation of the build at hand.
  static std::unique_ptr<TlsClient> Create();
  virtual ~TlsClient() = default;

  // Runs the handshake on `socket` (connected, blocking, not owned: the
  // caller closes it) and checks the server's certificate: chain to a
  // trusted root, validity dates, server-authentication use and `hostName`
  // (a name, or a dotted IPv4 address). The whole handshake ends within
  // `timeoutMs` (negative: no limit). 0 or a TlsCode; Reason() says more.
  virtual int Handshake(SocketHandle socket, const std::string& hostName, int timeoutMs) = 0;

  // Sends all `length` bytes, each wait for writability bounded by
  // `timeoutMs`. 0 or a TlsCode.
  virtual int Send(const void* data, int length, int timeoutMs) = 0;

  // Waits at most `timeoutMs` for application data and returns how many
  // bytes were put into `data` (1..capacity), 0 when the peer closed the
  // connection, or a negative TlsCode. Decrypted bytes already held are
  // returned at once without waiting.
  virtual int Receive(void* data, int capacity, int timeoutMs) = 0;

  // Decrypted bytes held that no Receive has taken yet.
  virtual int Pending() const = 0;

  // Tells the peer the session ends (close_notify), waiting at most
  // `timeoutMs` to send it; nothing is read. The socket stays open.
  virtual void Shutdown(int timeoutMs) = 0;

  // After a successful handshake: the protocol version ("TLSv1.2") and the
  // cipher agreed. After a failure: what went wrong, in a few words.
  const std::string& Protocol() const { return protocol_; }
  const std::string& Cipher() const { return cipher_; }
  const std::string& Reason() const { return reason_; }

 protected:
  std::string protocol_;
  std::string cipher_;
  std::string reason_;
};

// A PEM file of CA certificates trusted in addition to the system's roots,
// for test and private servers (empty: none). Process-wide; read at the next
// handshake. On Windows the file is not used: trust comes from the
// certificate stores.
void SetExtraCaFile(const std::string& path);
const std::string& ExtraCaFile();

}  // namespace bw::net
