// The connection that can turn to TLS; see tls_stream.h.
#include "platform/tls_stream.h"

#include <algorithm>
#include <cstring>

namespace bw::net {
namespace {

// A wait error and a time-out keep the socket layer's meaning; anything
// else went wrong inside TLS.
int ErrorNumberOf(int code) {
  switch (code) {
    case kTlsTimedOut: return kErrTimedOut;
    case kTlsWaitFailed:
    case kTlsSocketFailed: return LastError() != 0 ? LastError() : kErrOther;
    default: return kErrTlsAborted;
  }
}

}  // namespace

TlsStream::TlsStream(SocketHandle s) : socket_(s) {}

TlsStream::~TlsStream() {
  if (socket_ != kInvalidSocket) Close(socket_);
}

int TlsStream::StartTls(const std::string& hostName, int timeoutMs) {
  tls_ = TlsClient::Create();
  const int rc = tls_->Handshake(socket_, hostName, timeoutMs);
  secured_ = rc == kTlsOk;
  return rc;
}

int TlsStream::WaitReadable(int timeoutMs) {
  if (!secured_) return net::WaitReadable(socket_, timeoutMs);
  if (aheadStart_ < ahead_.size() || aheadEnd_ || aheadError_) return 1;
  ahead_.resize(16384);
  aheadStart_ = 0;
  const int n = tls_->Receive(ahead_.data(), static_cast<int>(ahead_.size()), timeoutMs);
  ahead_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  if (n > 0) return 1;
  if (n == 0) {
    aheadEnd_ = true;
    return 1;
  }
  if (n == kTlsTimedOut) return 0;
  if (n == kTlsWaitFailed) return -1;
  aheadError_ = ErrorNumberOf(n);
  return 1;
}

int TlsStream::WaitWritable(int timeoutMs) {
  sendTimeoutMs_ = timeoutMs;
  return net::WaitWritable(socket_, timeoutMs);
}

int TlsStream::Send(const void* data, int length) {
  if (!secured_) return net::Send(socket_, data, length);
  const int rc = tls_->Send(data, length, sendTimeoutMs_);
  if (rc == kTlsOk) return length;
  SetLastError(ErrorNumberOf(rc));
  return -1;
}

int TlsStream::Receive(void* data, int length) {
  if (!secured_) return net::Receive(socket_, data, length);
  if (aheadStart_ == ahead_.size() && !aheadEnd_ && !aheadError_ && WaitReadable(-1) < 0) return -1;
  if (aheadStart_ < ahead_.size()) {
    const std::size_t n = std::min(ahead_.size() - aheadStart_, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(data, ahead_.data() + aheadStart_, n);
    aheadStart_ += n;
    return static_cast<int>(n);
  }
  if (aheadError_) {
    SetLastError(aheadError_);
    return -1;
  }
  return 0;  // the peer closed
}

void TlsStream::Shutdown() {
  // close_notify gets at most a second: the check is over either way.
  if (secured_) tls_->Shutdown(sendTimeoutMs_ < 0 ? 1000 : std::min(sendTimeoutMs_, 1000));
  net::Shutdown(socket_, 2);
}

}  // namespace bw::net
