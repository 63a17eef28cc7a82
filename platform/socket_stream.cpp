// The ByteStream of a plain TCP socket; see stream.h.
#include "platform/stream.h"

namespace bw::net {

SocketStream::~SocketStream() {
  if (socket_ != kInvalidSocket) Close(socket_);
}

int SocketStream::WaitReadable(int timeoutMs) { return net::WaitReadable(socket_, timeoutMs); }
int SocketStream::WaitWritable(int timeoutMs) { return net::WaitWritable(socket_, timeoutMs); }
int SocketStream::Send(const void* data, int length) { return net::Send(socket_, data, length); }
int SocketStream::Receive(void* data, int length) { return net::Receive(socket_, data, length); }
void SocketStream::Shutdown() { net::Shutdown(socket_, 2); }

}  // namespace bw::net
