// The parts of the TLS client both implementations share: result names, the
// extra CA file and the bounded socket transfers.
#include <algorithm>
#include <string>

#include "platform/tls.h"
#include "platform/tls_io.h"

namespace bw::net {
namespace {

std::string& ExtraCaPath() {
  static std::string path;
  return path;
}

}  // namespace

const char* TlsCodeName(int code) {
  switch (code) {
    case kTlsOk: return "ok";
    case kTlsTimedOut: return "time-out";
    case kTlsWaitFailed: return "wait failed";
    case kTlsSocketFailed: return "socket error";
    case kTlsClosed: return "closed by the server";
    case kTlsProtocolError: return "protocol error";
    case kTlsSetupFailed: return "set-up failed";
    case kTlsUntrustedRoot: return "untrusted root";
    case kTlsIncompleteChain: return "incomplete chain";
    case kTlsExpired: return "expired";
    case kTlsWrongName: return "wrong name";
    case kTlsWrongUsage: return "wrong usage";
    case kTlsBadCertificate: return "bad certificate";
    default: return "unknown";
  }
}

void SetExtraCaFile(const std::string& path) { ExtraCaPath() = path; }
const std::string& ExtraCaFile() { return ExtraCaPath(); }

namespace tls_io {

Deadline::Deadline(int timeoutMs)
    : unlimited_(timeoutMs < 0),
      end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0))) {}

int Deadline::LeftMs() const {
  if (unlimited_) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

int SendAll(SocketHandle s, const void* data, int length, const Deadline& deadline) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    SetLastError(0);
    const int ready = WaitWritable(s, deadline.LeftMs());
    if (ready < 0) return kTlsWaitFailed;
    if (ready == 0) return kTlsTimedOut;
    const int n = Send(s, p, length);
    if (n <= 0) return kTlsSocketFailed;
    p += n;
    length -= n;
  }
  return kTlsOk;
}

int ReceiveSome(SocketHandle s, void* data, int capacity, const Deadline& deadline) {
  SetLastError(0);
  const int ready = WaitReadable(s, deadline.LeftMs());
  if (ready < 0) return kTlsWaitFailed;
  if (ready == 0) return kTlsTimedOut;
  const int n = Receive(s, data, capacity);
  return n < 0 ? kTlsSocketFailed : n;
}

}  // namespace tls_io
}  // namespace bw::net
