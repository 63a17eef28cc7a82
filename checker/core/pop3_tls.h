// The TLS handshake of a mail connection (POP3 or IMAP) and the log line of
// its result.
#pragma once
#include <memory>
#include <string>

#include "checker/core/check_outcome.h"
#include "common/core/account_record.h"
#include "platform/tls_stream.h"

namespace bw {

// Secures `stream` for `host` within `timeoutMs` and logs the protocol and
// cipher, or why the server or its certificate was not accepted (with what
// the user can do about an untrusted CA). A net::TlsCode.
int SecureStream(net::TlsStream& stream, const std::string& host, int timeoutMs,
                 const char* connectionName);


// The stream a new connection `s` is read through, as `account`'s UseTLS
// asks: plain (0; {TlsSetting, 0}), TLS from the first byte (1; the
// handshake done here within `timeoutMs`, {Handshake, rc}) or plain until
// STARTTLS (2; a TlsStream not yet secured, {Handshake, 0}). `*tls` is the
// TlsStream where there is one. Any other UseTLS value may ask for more
// protection than this version can give: nothing is sent ({TlsSetting, 1}).
// On failure `*out` stays empty and the socket is closed.
StepResult OpenAccountStream(const AncestryPop3Checker& account, net::SocketHandle s, int timeoutMs,
                             std::unique_ptr<net::ByteStream>* out, net::TlsStream** tls);

}  // namespace bw
