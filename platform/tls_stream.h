// A connection that starts in the clear and can turn to TLS (at once for
// POP3S, after the server accepted STLS): the POP3 line reader reads and
// writes through it the same way either side of the switch. It owns the
// socket and closes it when destroyed.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "platform/stream.h"
#include "platform/tls.h"

namespace bw::net {

// The error number Receive and Send report for a TLS failure after the
// handshake (a record that does not decrypt, a fatal alert): WSAECONNABORTED.
constexpr int kErrTlsAborted = 10053;

class TlsStream : public ByteStream {
 public:
  explicit TlsStream(SocketHandle s);
  ~TlsStream() override;
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;

  // Runs the handshake (see TlsClient::Handshake); from then on every byte
  // is encrypted. 0 or a TlsCode; Session() tells more either way.
  int StartTls(const std::string& hostName, int timeoutMs);
  bool Secured() const { return secured_; }
  const TlsClient* Session() const { return tls_.get(); }

  // As the socket's: 1 ready, 0 time-out, -1 error. Over TLS, "readable"
  // means decrypted bytes (or the end, or an error) are at hand, so a
  // partial record never makes Receive block.
  int WaitReadable(int timeoutMs) override;
  int WaitWritable(int timeoutMs) override;
  // Bytes taken or received, 0 at the end of the stream (Receive), -1 on
  // error with LastError set.
  int Send(const void* data, int length) override;
  int Receive(void* data, int length) override;
  // Ends the TLS session (close_notify) and shuts the socket down both ways.
  void Shutdown() override;

 private:
  SocketHandle socket_;
  std::unique_ptr<TlsClient> tls_;
  bool secured_ = false;
  int sendTimeoutMs_ = -1;  // the limit of the last writability wait
  // What the last readiness wait found over TLS and Receive has not taken.
  std::vector<char> ahead_;
  std::size_t aheadStart_ = 0;
  bool aheadEnd_ = false;   // the peer closed
  int aheadError_ = 0;      // an error number for Receive to report
};

}  // namespace bw::net
