// Resolve, Connect and Disconnect of one account: look-ups and the connect
// run on worker threads bounded by the account's time-outs; the connected
// socket goes under the account's line reader.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve.h"
#include "checker/core/resolve_worker.h"
#include "checker/core/simulation.h"
#include "common/core/log.h"
#include "net/stream.h"

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

}  // namespace

int Pop3Checker::Resolve() {
  if (SimulationMode()) {
    SimulationSleep(500);
    CheckState = Ready;
    return ResolveOk;
  }
  const int timeoutMs = WaitLimitMs(TOofDNS_Sec);
  std::memset(ResolvedAddress, 0, sizeof ResolvedAddress);
  const char* name = ConnectionName.c_str();

  auto failStep = [&](WorkerRun run, const char* timeoutText, const char* notFoundText,
                      const std::string& what) {
    if (run == WorkerRun::NotStarted) {
      // Nothing was looked up: the process itself is short of room.
      LogWorkerNotStarted(name);
      CheckState = Suspended;
      ErrorCause = CauseSocket;
      return int(ResolveFailed);
    }
    const bool timedOut = run == WorkerRun::TimedOut;
    ErrorCause = CauseDns;
    if (timedOut) {
      LogWrite(timeoutText, name, what.c_str());
      if (ContinueTimeout) {
        CheckState = RetryWait;
        return int(ResolveTimeoutRetry);
      }
      CheckState = Suspended;
      return int(ResolveFailed);
    }
    LogWrite(notFoundText, name, what.c_str());
    CheckState = Suspended;
    return int(ResolveFailed);
  };

  if (!IsDigit(HostName.empty() ? '\0' : HostName[0])) {
    auto result = std::make_shared<HostResult>();
    auto resolver = lookup ? lookup : std::make_shared<NameLookup>();
    std::string host = HostName;
    const WorkerRun run = RunWithTimeout(
        [result, resolver, host] { result->found = resolver->Host(host, result->address); },
        timeoutMs);
    if (run == WorkerRun::Finished && result->found) std::memcpy(ResolvedAddress, result->address, 4);
    static const std::uint8_t kZero[4] = {0, 0, 0, 0};
    if (run != WorkerRun::Finished || std::memcmp(ResolvedAddress, kZero, 4) == 0)
      return failStep(run,
                      "%s : ホスト名[%s]をDNSに問い合わせ中にタイムアウトしました.\n",
                      "%s : ホスト名[%s]がDNSに見つかりません.\n", HostName);
  } else {
    std::uint8_t parsed[4] = {0, 0, 0, 0};
    int rc = ParseDottedAddress(HostName.c_str(), parsed);
    if (rc == 0) std::memcpy(ResolvedAddress, parsed, 4);
    if (rc != 0) {
      CheckState = Suspended;
      ErrorCause = CauseNone;
      LogWrite("%s : IPアドレスの書式[%s]が不正です.\n", name, HostName.c_str());
      return rc;
    }
  }

  ResolvedPort = 0;
  if (!ServiceName.empty() && IsDigit(ServiceName[0])) {
    long value = std::strtol(ServiceName.c_str(), nullptr, 10);
    // A number outside the TCP port range would wrap around to some other
    // port; it is reported as an unknown service instead.
    if (value >= 1 && value <= 65535) {
      std::uint16_t port = PortToNetwork(static_cast<unsigned>(value));
      auto resolver = lookup ? lookup : std::make_shared<NameLookup>();
      std::uint16_t entry = resolver->ServiceByPort(port);
      ResolvedPort = entry ? entry : port;
    }
    if (ResolvedPort == 0)
      return failStep(WorkerRun::Finished, "", "%s : サービス名[%s]がDNSに見つかりません.\n", ServiceName);
  } else {
    auto port = std::make_shared<std::uint16_t>(0);
    auto resolver = lookup ? lookup : std::make_shared<NameLookup>();
    std::string service = ServiceName;
    const WorkerRun run = RunWithTimeout(
        [port, resolver, service] { *port = resolver->ServiceByName(service); }, timeoutMs);
    if (run == WorkerRun::Finished) ResolvedPort = *port;
    if (run != WorkerRun::Finished || ResolvedPort == 0)
      return failStep(run,
                      "%s : サービス名[%s]をDNSに問い合わせ中にタイムアウトしました.\n",
                      "%s : サービス名[%s]がDNSに見つかりません.\n", ServiceName);
  }

  LogWrite("%s : IPAddress=%3d.%3d.%3d.%3d(%s), Port=%d(%s)\n", name, ResolvedAddress[0],
           ResolvedAddress[1], ResolvedAddress[2], ResolvedAddress[3], HostName.c_str(),
           int(PortFromNetwork(static_cast<std::uint16_t>(ResolvedPort))), ServiceName.c_str());
  CheckState = Ready;
  return ResolveOk;
}

int Pop3Checker::Connect(char* line) {
  line[0] = '\0';
  Challenge.clear();
  net::SocketHandle s = net::OpenTcp();
  if (s == net::kInvalidSocket) {
    LogWrite("socket() Failed.  ErrCode=%d.\n", net::LastError());
    CheckState = Suspended;
    ErrorCause = CauseSocket;
    return ConnectSocketFailed;
  }
  const int timeoutMs = WaitLimitMs(TOofConnect_Sec);
  LogWrite("POP3 <- <CONNECT>\n");

  auto result = std::make_shared<ConnectOutcome>();
  std::uint8_t address[4];
  std::memcpy(address, ResolvedAddress, 4);
  const auto port = static_cast<std::uint16_t>(ResolvedPort);
  const WorkerRun run = RunWithTimeout(
      [result, s, address, port] {
        net::SetLastError(0);
        if (net::ConnectIPv4(s, address, port) == 0)
          result->connected = true;
        else
          result->error = net::LastError();
      },
      timeoutMs);

  const bool finished = run == WorkerRun::Finished;
  if (run == WorkerRun::NotStarted) {
    // No connect was tried: the process itself is short of room.
    net::Close(s);
    LogWorkerNotStarted(ConnectionName.c_str());
    CheckState = Suspended;
    ErrorCause = CauseSocket;
    return ConnectSocketFailed;
  }
  if (finished && result->connected) {
    CheckState = Communicating;
  } else {
    // The explanation of the two common causes comes first, as the connect
    // attempt itself would report them.
    if (finished && result->error == net::kErrTimedOut)
      LogWrite("OS Level Timeout.  ｻｰﾊﾞﾉｰﾄﾞがﾀﾞｳﾝしていると思われます.\n");
    else if (finished && result->error == net::kErrConnRefused)
      LogWrite("Connection Refused.  ｻｰﾊﾞ機は稼働中ですが、POP3ｻｰﾋﾞｽが有効でないと思われます.\n");
    net::Close(s);
    LogWrite(finished ? "connect() Failed.\n" : "connect() Timeout.\n");
    CheckState = (ContinueConnectER || (!finished && ContinueTimeout)) ? RetryWait : Suspended;
    ErrorCause = CauseConnection;
    return ConnectFailed;
  }

  net::SetLingerOff(s);
  net::TlsStream* tls = nullptr;
  if (int failed = AttachConnection(s, &tls)) return failed;
  int rc = ReceiveLine(line);
  if (rc != 0) {
    reader_.Close(false);
    CheckState = (rc == LineTimeout && ContinueTimeout) ? RetryWait : Suspended;
    ErrorCause = CauseConnection;
    return ConnectGreetingFailed;
  }
  if (std::strncmp(line, "+OK", 3) != 0) {
    reader_.Close(false);
    LogWrite("接続拒否応答.\n");
    CheckState = ServerRefused;
    ErrorCause = CauseConnection;
    return ConnectRefusedByServer;
  }
  TakeChallenge(line);
  if (UseTLS == 2) return StartTlsAfterGreeting(tls, line);
  return ConnectOk;
}

void Pop3Checker::AttachStream(std::unique_ptr<net::ByteStream> stream) {
  reader_.Attach(std::move(stream));
}

void Pop3Checker::Disconnect() { reader_.Close(true); }

}  // namespace bw
