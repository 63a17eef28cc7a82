// A connected byte stream: what the POP3 line reader reads from and writes
// to. A plain TCP socket is one (SocketStream); a TLS session layered over a
// socket can be another, with no change above it. Errors are reported as
// the calling thread's last error in WinSock numbers (LastError), as the
// socket layer reports them.
#pragma once
#include <memory>

#include "platform/socket.h"

namespace bw::net {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Waits until Receive can go on without blocking (bytes, the end of the
  // stream or an error to report). A stream that holds bytes of its own
  // already received answers at once. A negative time-out waits without
  // limit. 1 ready, 0 time-out, -1 error.
  virtual int WaitReadable(int timeoutMs) = 0;
  // Waits until Send can take bytes; results as WaitReadable.
  virtual int WaitWritable(int timeoutMs) = 0;
  // Bytes taken (possibly fewer than `length`), -1 on error.
  virtual int Send(const void* data, int length) = 0;
  // Bytes received (at most `length`), 0 at the end of the stream, -1 on
  // error.
  virtual int Receive(void* data, int length) = 0;
  // Ends the conversation in both directions; the stream is closed when it
  // is destroyed, with or without this.
  virtual void Shutdown() = 0;
};

// A ByteStream over a connected TCP socket, which it owns and closes.
class SocketStream : public ByteStream {
 public:
  explicit SocketStream(SocketHandle s) : socket_(s) {}
  ~SocketStream() override;
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  int WaitReadable(int timeoutMs) override;
  int WaitWritable(int timeoutMs) override;
  int Send(const void* data, int length) override;
  int Receive(void* data, int length) override;
  void Shutdown() override;

  SocketHandle socket() const { return socket_; }

 private:
  SocketHandle socket_;
};

}  // namespace bw::net
