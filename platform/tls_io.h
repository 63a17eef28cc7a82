// Socket waits and transfers shared by the TLS implementations: every wait
// is bounded by one deadline, and failures come back as TLS result codes.
#pragma once
#include <chrono>

#include "platform/socket.h"

namespace bw::net::tls_io {

// A point in time after which no more waiting is done; unlimited when built
// from a negative time-out.
class Deadline {
 public:
  explicit Deadline(int timeoutMs);
  // Milliseconds left (0 once passed), or -1 when unlimited.
  int LeftMs() const;

 private:
  bool unlimited_;
  std::chrono::steady_clock::time_point end_;
};

// Sends every byte. kTlsOk, kTlsTimedOut, kTlsWaitFailed or kTlsSocketFailed.
int SendAll(SocketHandle s, const void* data, int length, const Deadline& deadline);

// Waits for the socket and reads what is there: a byte count, 0 when the
// peer closed, kTlsTimedOut, kTlsWaitFailed or kTlsSocketFailed.
int ReceiveSome(SocketHandle s, void* data, int capacity, const Deadline& deadline);

}  // namespace bw::net::tls_io
