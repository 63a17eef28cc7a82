// Name resolution and connection of one account: look-ups and the connect
// run on worker threads bounded by the account's time-outs.
#include "checker/core/resolve.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "checker/core/simulation.h"
#include "common/core/log.h"

namespace bw {

int ParseDottedAddress(const char* text, std::uint8_t address[4]) {
  // Four parts of 1 to 3 digits, each at most 255, joined by three dots.
  // A part above 255 or an empty part is refused rather than wrapped or
  // read as 0: either would connect to some other host and give it the
  // password.
  // Scanning stops at a fourth digit or a fourth dot; a stray character
  // met before that is reported as such (-10).
  int value = 0;
  int partLength = 0;
  int dots = 0;
  bool badPart = false;
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++partLength > 3) return -11;
      value = value * 10 + (c - '0');
    } else if (c == '.') {
      if (++dots > 3) return -11;
      if (partLength == 0 || value > 255) badPart = true;
      address[dots - 1] = static_cast<std::uint8_t>(value);
      value = 0;
      partLength = 0;
    } else {
      return -10;
    }
  }
  if (badPart || dots != 3 || partLength == 0 || value > 255) return -11;
  address[3] = static_cast<std::uint8_t>(value);
  return 0;
}

std::uint16_t PortToNetwork(unsigned port) {
  std::uint8_t bytes[2] = {static_cast<std::uint8_t>(port >> 8), static_cast<std::uint8_t>(port)};
  std::uint16_t value;
  std::memcpy(&value, bytes, 2);
  return value;
}

unsigned PortFromNetwork(std::uint16_t portNetOrder) {
  std::uint8_t bytes[2];
  std::memcpy(bytes, &portNetOrder, 2);
  return unsigned(bytes[0]) << 8 | bytes[1];
}

bool NameLookup::Host(const std::string& name, std::uint8_t address[4]) {
  return net::LookupHost(name.c_str(), address);
}

std::uint16_t NameLookup::ServiceByName(const std::string& name) {
  return net::LookupServiceByName(name.c_str());
}

std::uint16_t NameLookup::ServiceByPort(std::uint16_t portNetOrder) {
  return net::LookupServiceByPort(portNetOrder);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Result of one look-up worker, owned jointly by the worker and the caller.
struct HostResult {
  bool found = false;
  std::uint8_t address[4] = {0, 0, 0, 0};
};

struct ConnectResult {
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
  const int timeoutMs = TimeoutMs(TOofDNS_Sec);
  std::memset(ResolvedAddress, 0, sizeof ResolvedAddress);
  const char* name = ConnectionName.c_str();

  auto failStep = [&](bool timedOut, const char* timeoutText, const char* notFoundText,
                      const std::string& what) {
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
    bool finished = RunWithTimeout(
        [result, resolver, host] { result->found = resolver->Host(host, result->address); },
        timeoutMs);
    if (finished && result->found) std::memcpy(ResolvedAddress, result->address, 4);
    static const std::uint8_t kZero[4] = {0, 0, 0, 0};
    if (!finished || std::memcmp(ResolvedAddress, kZero, 4) == 0)
      return failStep(!finished,
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
      return failStep(false, "", "%s : サービス名[%s]がDNSに見つかりません.\n", ServiceName);
  } else {
    auto port = std::make_shared<std::uint16_t>(0);
    auto resolver = lookup ? lookup : std::make_shared<NameLookup>();
    std::string service = ServiceName;
    bool finished = RunWithTimeout(
        [port, resolver, service] { *port = resolver->ServiceByName(service); }, timeoutMs);
    if (finished) ResolvedPort = *port;
    if (!finished || ResolvedPort == 0)
      return failStep(!finished,
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
    return -10;
  }
  const int timeoutMs = TimeoutMs(TOofConnect_Sec);
  LogWrite("POP3 <- <CONNECT>\n");

  auto result = std::make_shared<ConnectResult>();
  std::uint8_t address[4];
  std::memcpy(address, ResolvedAddress, 4);
  const auto port = static_cast<std::uint16_t>(ResolvedPort);
  bool finished = RunWithTimeout(
      [result, s, address, port] {
        net::SetLastError(0);
        if (net::ConnectIPv4(s, address, port) == 0)
          result->connected = true;
        else
          result->error = net::LastError();
      },
      timeoutMs);

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
    return -20;
  }

  net::SetLingerOff(s);
  ForgetUnread();
  if (int failed = AttachConnection(s)) return failed;
  int rc = ReceiveLine(line);
  if (rc != 0) {
    CloseConnection();
    CheckState = (rc == LineTimeout && ContinueTimeout) ? RetryWait : Suspended;
    ErrorCause = CauseConnection;
    return -30;
  }
  if (std::strncmp(line, "+OK", 3) != 0) {
    CloseConnection();
    LogWrite("接続拒否応答.\n");
    CheckState = ServerRefused;
    ErrorCause = CauseConnection;
    return -31;
  }
  TakeChallenge(line);
  if (UseTLS == 2) return StartTlsAfterGreeting(line);
  return 0;
}

void Pop3Checker::Disconnect() {
  ForgetUnread();
  if (stream_) {
    stream_->Shutdown();
    CloseConnection();
    return;
  }
  if (Socket == net::kInvalidSocket) return;
  net::Shutdown(Socket, 2);
  net::Close(Socket);
  Socket = net::kInvalidSocket;
}

}  // namespace bw
