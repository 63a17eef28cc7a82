// The TLS handshake of a POP3 connection and the log line of its result.
#pragma once
#include <string>

#include "platform/tls_stream.h"

namespace bw {

// Secures `stream` for `host` within `timeoutMs` and logs the protocol and
// cipher, or why the server or its certificate was not accepted (with what
// the user can do about an untrusted CA). A net::TlsCode.
int SecureStream(net::TlsStream& stream, const std::string& host, int timeoutMs,
                 const char* connectionName);

}  // namespace bw
