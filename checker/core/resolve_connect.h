// Finding an account's server and opening the TCP connection to it: the
// look-ups and the connect run on worker threads bounded by the account's
// time-outs, and every outcome is logged. The steps report codes; the
// account's state follows from them (StepOutcome).
#pragma once
#include <cstdint>
#include <memory>

#include "checker/core/check_outcome.h"
#include "checker/core/resolve.h"
#include "common/core/account_record.h"
#include "platform/stream.h"

namespace bw {

// Looks up the address (cleared first) and the port (cleared before its own
// look-up) of the account's HostName and ServiceName, each bounded by
// `timeoutMs`. Ends with the step that failed, or ServiceLookup and 0. A
// malformed dotted address is DottedAddress with ParseDottedAddress's code.
StepResult ResolveServer(const AncestryPop3Checker& account, std::shared_ptr<NameLookup> lookup, int timeoutMs,
                         std::uint8_t address[4], std::int32_t& port);

// Makes a socket and connects it to `address` and `port` (network order)
// within `timeoutMs`, lingering off. Ends with Socket, or Connect and a
// ConnectCode; `*socket` holds the connection only on success (a failed
// one is closed here). `protocol` names the service in the log lines.
StepResult OpenConnection(const std::uint8_t address[4], std::int32_t port, int timeoutMs,
                          const char* connectionName, net::SocketHandle* socket, const char* protocol = "POP3");

}  // namespace bw
