// Resolution of an account's server and the TCP connect to it: look-ups and
// the connect run on worker threads bounded by the account's time-outs.
#include "checker/core/resolve_connect.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "checker/core/resolve_worker.h"
#include "common/core/log.h"

namespace bw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Result of one look-up worker, owned jointly by the worker and the caller.
struct HostResult {
  bool found = false;
  std::uint8_t address[4] = {0, 0, 0, 0};
};

struct ConnectOutcome {
  bool connected = false;
  int error = 0;
};

// Logs a failed look-up of `what` and gives its code.
StepResult LookupFailed(CheckStep step, WorkerRun run, const char* name, const char* timeoutText,
                        const char* notFoundText, const std::string& what) {
  if (run == WorkerRun::NotStarted) {
    // Nothing was looked up: the process itself is short of room.
    LogWorkerNotStarted(name);
    return {step, LookupNoWorker};
  }
  if (run == WorkerRun::TimedOut) {
    LogWrite(timeoutText, name, what.c_str());
    return {step, LookupTimedOut};
  }
  LogWrite(notFoundText, name, what.c_str());
  return {step, LookupNotFound};
}

// The host step: a name through the look-up worker, a dotted address parsed.
StepResult FindAddress(const std::string& hostName, const char* name, const std::shared_ptr<NameLookup>& lookup,
                       int timeoutMs, std::uint8_t address[4]) {
  if (IsDigit(hostName.empty() ? '\0' : hostName[0])) {
    std::uint8_t parsed[4] = {0, 0, 0, 0};
    const int rc = ParseDottedAddress(hostName.c_str(), parsed);
    if (rc != 0) {
      LogWrite("%s : IPアドレスの書式[%s]が不正です.\n", name, hostName.c_str());
      return {CheckStep::DottedAddress, rc};
    }
    std::memcpy(address, parsed, 4);
    return {CheckStep::HostLookup, LookupFound};
  }
  auto result = std::make_shared<HostResult>();
  std::string host = hostName;
  const WorkerRun run = RunWithTimeout(
      [result, lookup, host] { result->found = lookup->Host(host, result->address); }, timeoutMs);
  if (run == WorkerRun::Finished && result->found) std::memcpy(address, result->address, 4);
  static const std::uint8_t kZero[4] = {0, 0, 0, 0};
  if (run != WorkerRun::Finished || std::memcmp(address, kZero, 4) == 0)
    return LookupFailed(CheckStep::HostLookup, run, name,
                        "%s : ホスト名[%s]をDNSに問い合わせ中にタイムアウトしました.\n",
                        "%s : ホスト名[%s]がDNSに見つかりません.\n", hostName);
  return {CheckStep::HostLookup, LookupFound};
}

// The service step: a port number (its services entry if there is one), or
// a name through the look-up worker.
StepResult FindPort(const std::string& serviceName, const char* name, const std::shared_ptr<NameLookup>& lookup,
                    int timeoutMs, std::int32_t& port) {
  port = 0;
  if (!serviceName.empty() && IsDigit(serviceName[0])) {
    long value = std::strtol(serviceName.c_str(), nullptr, 10);
    // A number outside the TCP port range would wrap around to some other
    // port; it is reported as an unknown service instead.
    if (value >= 1 && value <= 65535) {
      std::uint16_t netPort = PortToNetwork(static_cast<unsigned>(value));
      std::uint16_t entry = lookup->ServiceByPort(netPort);
      port = entry ? entry : netPort;
    }
    if (port == 0)
      return LookupFailed(CheckStep::ServiceLookup, WorkerRun::Finished, name, "",
                          "%s : サービス名[%s]がDNSに見つかりません.\n", serviceName);
    return {CheckStep::ServiceLookup, LookupFound};
  }
  auto found = std::make_shared<std::uint16_t>(0);
  std::string service = serviceName;
  const WorkerRun run = RunWithTimeout(
      [found, lookup, service] { *found = lookup->ServiceByName(service); }, timeoutMs);
  if (run == WorkerRun::Finished) port = *found;
  if (run != WorkerRun::Finished || port == 0)
    return LookupFailed(CheckStep::ServiceLookup, run, name,
                        "%s : サービス名[%s]をDNSに問い合わせ中にタイムアウトしました.\n",
                        "%s : サービス名[%s]がDNSに見つかりません.\n", serviceName);
  return {CheckStep::ServiceLookup, LookupFound};
}

}  // namespace

StepResult ResolveServer(const AncestryPop3Checker& account, std::shared_ptr<NameLookup> lookup, int timeoutMs,
                         std::uint8_t address[4], std::int32_t& port) {
  std::memset(address, 0, 4);
  const char* name = account.ConnectionName.c_str();
  // Each worker holds its own reference, so an abandoned look-up never
  // touches a destroyed resolver.
  if (!lookup) lookup = std::make_shared<NameLookup>();
  const StepResult host = FindAddress(account.HostName, name, lookup, timeoutMs, address);
  if (!host.ok()) return host;
  const StepResult service = FindPort(account.ServiceName, name, lookup, timeoutMs, port);
  if (!service.ok()) return service;
  LogWrite("%s : IPAddress=%3d.%3d.%3d.%3d(%s), Port=%d(%s)\n", name, address[0], address[1],
           address[2], address[3], account.HostName.c_str(),
           int(PortFromNetwork(static_cast<std::uint16_t>(port))), account.ServiceName.c_str());
  return service;
}

StepResult OpenConnection(const std::uint8_t address[4], std::int32_t port, int timeoutMs,
                          const char* connectionName, net::SocketHandle* socket, const char* protocol) {
  *socket = net::kInvalidSocket;
  net::SocketHandle s = net::OpenTcp();
  if (s == net::kInvalidSocket) {
    LogWrite("socket() Failed.  ErrCode=%d.\n", net::LastError());
    return {CheckStep::Socket, 1};
  }
  LogWrite("%s <- <CONNECT>\n", protocol);

  auto result = std::make_shared<ConnectOutcome>();
  std::uint8_t to[4];
  std::memcpy(to, address, 4);
  const auto netPort = static_cast<std::uint16_t>(port);
  const WorkerRun run = RunWithTimeout(
      [result, s, to, netPort] {
        net::SetLastError(0);
        if (net::ConnectIPv4(s, to, netPort) == 0)
          result->connected = true;
        else
          result->error = net::LastError();
      },
      timeoutMs);

  const bool finished = run == WorkerRun::Finished;
  if (run == WorkerRun::NotStarted) {
    // No connect was tried: the process itself is short of room.
    net::Close(s);
    LogWorkerNotStarted(connectionName);
    return {CheckStep::Connect, ConnectNoWorker};
  }
  if (!finished || !result->connected) {
    // The explanation of the two common causes comes first, as the connect
    // attempt itself would report them.
    if (finished && result->error == net::kErrTimedOut)
      LogWrite("OS Level Timeout.  ｻｰﾊﾞﾉｰﾄﾞがﾀﾞｳﾝしていると思われます.\n");
    else if (finished && result->error == net::kErrConnRefused)
      LogWrite("Connection Refused.  ｻｰﾊﾞ機は稼働中ですが、%sｻｰﾋﾞｽが有効でないと思われます.\n", protocol);
    net::Close(s);
    LogWrite(finished ? "connect() Failed.\n" : "connect() Timeout.\n");
    return {CheckStep::Connect, finished ? ConnectNotMade : ConnectTimedOut};
  }
  net::SetLingerOff(s);
  *socket = s;
  return {CheckStep::Connect, ConnectDone};
}

}  // namespace bw
