// Measures UIDL checks and prints measured times and ratios:
//  - how a check scales with the mailbox size and what the per-line log
//    costs (scripted loopback server);
//  - the new-count of 100,000 UIDs against 100,000 previous ones;
//  - a check of a small mailbox with Nagle's algorithm off (as the checker
//    connects) and on, the wait for delayed acknowledgements it removes;
//  - with a Dovecot folder (see bench/dovecot-uidl-bench), a UIDL check of
//    the "bulk" mailbox against curl listing UIDL from the same mailbox.
//   uidl_bench [DOVECOT_DIR [CURL | =CURL_SECONDS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <winsock.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#endif
#include <cstring>
#include <memory>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve.h"
#include "common/core/log.h"
#include "platform/stream.h"
#include "platform/tls.h"
#include "tests/servers/scripted_pop3.h"

namespace {

using namespace bw_test;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

std::string Listing(int messages) {
  std::string s = "+OK\r\n";
  char line[64];
  for (int i = 1; i <= messages; ++i) {
    std::snprintf(line, sizeof line, "%d %08X%08X\r\n", i, i, 0x6b163312);
    s += line;
  }
  return s + ".\r\n";
}

Pop3Script Session(const std::string& listing) {
  return {Reply("+OK ready"), Hear(), Reply("+OK"), Hear(), Reply("+OK"), Hear(), Say(listing),
          Hear(), Reply("+OK")};
}

void Prepare(bw::Pop3Checker& account, const std::string& service, const char* user) {
  account.ConnectionName = "bench";
  account.HostName = "127.0.0.1";
  account.ServiceName = service;
  account.UserID = user;
  account.Password = "secret";
  account.UseUIDL = 1;
  account.UseAPOP = 2;
  account.TOofSendRecv_Sec = 30;
  account.TOofConnect_Sec = 10;
  account.CheckState = bw::Pop3Checker::Ready;
}

// How much a log may slow a check: natively, and for the Windows build
// under Wine, where each file operation costs far more.
#ifdef _WIN32
constexpr const char* kLogTarget = "<= 2 under Wine";
#else
constexpr const char* kLogTarget = "<= 1.5 native";
#endif

// The log a logged check writes to, with the checker's default limit.
constexpr const char* kLogFile = "uidl_bench.log";
constexpr int kLogLimitKB = 16384;

// Times checks of the same full mailbox, each comparing the whole listing
// against the one before (a first check fills the UIDL memory): best of
// `rounds` without the log and best of `rounds` with it, the two kinds
// taking turns so that a busy machine slows both alike. Each logged check
// starts on an empty log file. Negative times when a check failed.
void CheckSeconds(int messages, int rounds, double* plain, double* logged) {
  *plain = *logged = -1;
  const std::string listing = Listing(messages);
  std::vector<Pop3Script> sessions(1 + 2 * rounds, Session(listing));
  ScriptedPop3Server server(sessions);
  bw::Pop3Checker account;
  Prepare(account, server.service(), "u");
  if (account.Check() != 0) return;
  double bestPlain = 1e9, bestLogged = 1e9;
  for (int round = 0; round < 2 * rounds; ++round) {
    const bool withLog = round % 2 == 1;
    if (withLog) bw::LogSetup(kLogFile, kLogLimitKB);
    auto start = Clock::now();
    int rc = account.Check();
    auto end = Clock::now();
    if (withLog) {
      bw::LogReset();
      std::remove(kLogFile);
    }
    if (rc != 0 || account.MessageCount != static_cast<unsigned>(messages) ||
        account.NewCount != 0)
      return;
    double& best = withLog ? bestLogged : bestPlain;
    best = std::min(best, Seconds(start, end));
  }
  *plain = bestPlain;
  *logged = bestLogged;
}

// Best of several new-counts of 100,000 UIDs against 100,000 previous ones,
// half of them new.
double NewCountSeconds() {
  bw::UidlList previous, current;
  char uid[32];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(uid, sizeof uid, "%08x%08x", i, 0x6b163312);
    previous.Append(uid, std::to_string(i + 1));
    std::snprintf(uid, sizeof uid, "%08x%08x", i + 50000, 0x6b163312);
    current.Append(uid, std::to_string(i + 1));
  }
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    auto start = Clock::now();
    std::int32_t fresh = bw::CountNewUids(current, previous);
    auto end = Clock::now();
    if (fresh != 50000) return -1;
    best = std::min(best, Seconds(start, end));
  }
  return best;
}

// The checker's dialogue over a connection with Nagle's algorithm on, as the
// socket layer made them before it turned it off: the bench connects on its
// own and hands the connection over.
class NagleAccount : public bw::Pop3Checker {
 public:
  int Connect(char* line) override {
    line[0] = '\0';
    bw::net::SocketHandle s = bw::net::OpenTcp();
    if (s == bw::net::kInvalidSocket) return bw::ConnectSocketFailed;
#ifdef _WIN32
    BOOL off = FALSE;
    setsockopt(static_cast<SOCKET>(s), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&off),
               sizeof off);
#else
    int off = 0;
    setsockopt(static_cast<int>(s), IPPROTO_TCP, TCP_NODELAY, &off, sizeof off);
#endif
    const std::uint8_t loopback[4] = {127, 0, 0, 1};
    if (bw::net::ConnectIPv4(s, loopback, bw::PortToNetwork(std::stoi(ServiceName))) != 0) {
      bw::net::Close(s);
      return bw::ConnectFailed;
    }
    AttachStream(std::make_unique<bw::net::SocketStream>(s));
    if (ReceiveLine(line) != 0 || std::strncmp(line, "+OK", 3) != 0) {
      Disconnect();
      return bw::ConnectGreetingFailed;
    }
    CheckState = Communicating;
    return bw::ConnectOk;
  }
};

// Best of `rounds` checks of a mailbox of 3 messages (USER, PASS, UIDL,
// QUIT), with Nagle's algorithm off as the checker connects and on, taking
// turns. Negative when a check failed.
void SmallMailboxSeconds(int rounds, double* noDelay, double* nagle) {
  *noDelay = *nagle = -1;
  std::vector<Pop3Script> sessions(2 * rounds, Session(Listing(3)));
  ScriptedPop3Server server(sessions);
  bw::Pop3Checker plain;
  NagleAccount delayed;
  Prepare(plain, server.service(), "u");
  Prepare(delayed, server.service(), "u");
  double best[2] = {1e9, 1e9};
  for (int round = 0; round < 2 * rounds; ++round) {
    bw::Pop3Checker& account = round % 2 ? static_cast<bw::Pop3Checker&>(delayed) : plain;
    auto start = Clock::now();
    int rc = account.Check();
    auto end = Clock::now();
    if (rc != 0 || account.MessageCount != 3) return;
    best[round % 2] = std::min(best[round % 2], Seconds(start, end));
  }
  *noDelay = best[0];
  *nagle = best[1];
}

// Peak memory of the process, in megabytes; negative where it is not read
// (the Windows build), so that no made-up figure is printed.
double PeakMegabytes() {
#ifdef _WIN32
  return -1;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
#endif
}

// Two checks of a mailbox of 1,000,000 messages with 70-byte UIDs: the
// second holds the first listing aside while it reads its own, the most the
// UIDL memory ever takes. The server makes the lines as it sends them.
bool MillionUidsMemory(double* before, double* after) {
  auto line = [](int i) {
    char text[96];
    std::snprintf(text, sizeof text, "%d %070d\r\n", i, i);
    return std::string(text);
  };
  auto session = [&] {
    return Pop3Script{Reply("+OK ready"), Hear(), Reply("+OK"), Hear(), Reply("+OK"), Hear(),
                      Reply("+OK"), Generate(line, 1000000), Reply("."), Hear(), Reply("+OK")};
  };
  ScriptedPop3Server server({session(), session()});
  bw::Pop3Checker account;
  Prepare(account, server.service(), "u");
  *before = PeakMegabytes();
  if (account.Check() != 0 || account.Check() != 0) return false;
  *after = PeakMegabytes();
  return account.MessageCount == 1000000 && account.NewCount == 0;
}

// Best of three: a UIDL check of the bulk mailbox, and curl listing it.
int CompareWithCurl(const std::string& dir, const std::string& curl) {
  std::ifstream portFile(dir + "/port");
  std::string port;
  if (!(portFile >> port)) {
    std::fprintf(stderr, "no port in %s\n", dir.c_str());
    return 1;
  }
  const std::string command = curl + " -s pop3://127.0.0.1:" + port +
                              "/ -u bulk:secret -X UIDL >uidl_bench.curl 2>/dev/null";
  // "=SECONDS" hands over a curl time measured outside (under Wine the
  // Linux curl cannot be started from here).
  const bool curlGiven = !curl.empty() && curl[0] == '=';
  auto runCurl = [&]() { return curlGiven ? 0 : std::system(command.c_str()); };
  bw::Pop3Checker account;
  Prepare(account, port, "bulk");
  // Warm-up: Dovecot builds its index at the first visit.
  if (runCurl() != 0 || account.Check() != 0) {
    std::fprintf(stderr, "curl or the warm-up check failed\n");
    return 1;
  }
  double check = 1e9, listing = 1e9, logged = 1e9;
  for (int round = 0; round < 3; ++round) {
    auto start = Clock::now();
    int rc = runCurl();
    auto mid = Clock::now();
    int result = account.Check();
    auto end = Clock::now();
    if (rc != 0 || result != 0) {
      std::fprintf(stderr, "curl or a check failed\n");
      return 1;
    }
    listing = curlGiven ? std::atof(curl.c_str() + 1) : std::min(listing, Seconds(start, mid));
    check = std::min(check, Seconds(mid, end));
    bw::LogSetup(kLogFile, kLogLimitKB);
    start = Clock::now();
    result = account.Check();
    end = Clock::now();
    bw::LogReset();
    std::remove(kLogFile);
    if (result != 0) return 1;
    logged = std::min(logged, Seconds(start, end));
  }
  std::remove("uidl_bench.curl");
  std::printf("Dovecot, %u messages: UIDL check %.3f s (logged %.3f s), curl UIDL %.3f s\n",
              account.MessageCount, check, logged, listing);
  std::printf("check / curl ratio:                   %.2f (target <= 1.3 native, <= 2 Wine)\n",
              check / listing);
  std::printf("logged check / curl ratio:            %.2f\n", logged / listing);
  std::printf("Dovecot log ratio (logged / not logged): %.2f (target %s; the log adds %.0f ms)\n",
              logged / check, kLogTarget, (logged - check) * 1000);

  // The same mailbox over POP3S: the whole check, handshake included.
  std::ifstream tlsPortFile(dir + "/pop3s-port");
  std::string tlsPort;
  if (!(tlsPortFile >> tlsPort)) {
    std::fprintf(stderr, "no POP3S port in %s\n", dir.c_str());
    return 1;
  }
  bw::net::SetExtraCaFile(dir + "/certs/ca.crt");  // the Windows build trusts its prefix's store
  bw::Pop3Checker secured;
  Prepare(secured, tlsPort, "bulk");
  secured.HostName = "localhost";
  secured.UseTLS = 1;
  if (secured.Check() != 0) {
    std::fprintf(stderr, "the TLS warm-up check failed\n");
    return 1;
  }
  double tls = 1e9;
  for (int round = 0; round < 3; ++round) {
    auto start = Clock::now();
    int result = secured.Check();
    auto end = Clock::now();
    if (result != 0 || secured.MessageCount != account.MessageCount) {
      std::fprintf(stderr, "a TLS check failed\n");
      return 1;
    }
    tls = std::min(tls, Seconds(start, end));
  }
  std::printf("Dovecot, %u messages: POP3S UIDL check %.3f s\n", secured.MessageCount, tls);
  std::printf("TLS / plain check ratio:              %.2f (target <= 1.5)\n", tls / check);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bw::LogReset();
  double small = 0, smallLogged = 0, large = 0, largeLogged = 0;
  CheckSeconds(10000, 3, &small, &smallLogged);
  CheckSeconds(100000, 3, &large, &largeLogged);
  const double newCount = NewCountSeconds();
  if (small <= 0 || smallLogged <= 0 || large <= 0 || largeLogged <= 0 || newCount < 0) {
    std::fprintf(stderr, "a check failed\n");
    return 1;
  }
  std::printf("UIDL check, 10000 messages, no log:   %.3f s\n", small);
  std::printf("UIDL check, 10000 messages, logged:   %.3f s\n", smallLogged);
  std::printf("UIDL check, 100000 messages, no log:  %.3f s\n", large);
  std::printf("UIDL check, 100000 messages, logged:  %.3f s\n", largeLogged);
  std::printf("size ratio (100000 / 10000 messages): %.2f (10 = linear)\n", large / small);
  std::printf("log ratio, 10000 messages:            %.2f\n", smallLogged / small);
  std::printf("log ratio, 100000 messages:           %.2f (target %s; the log adds %.0f ms)\n",
              largeLogged / large, kLogTarget, (largeLogged - large) * 1000);
  std::printf("new-count, 100000 against 100000:     %.1f ms (target < 50 ms)\n", newCount * 1000);
  double noDelay = 0, nagle = 0;
  SmallMailboxSeconds(5, &noDelay, &nagle);
  if (noDelay <= 0 || nagle <= 0) {
    std::fprintf(stderr, "a small-mailbox check failed\n");
    return 1;
  }
  std::printf("UIDL check, 3 messages, TCP_NODELAY:  %.1f ms\n", noDelay * 1000);
  std::printf("UIDL check, 3 messages, Nagle on:     %.1f ms\n", nagle * 1000);
  std::printf("Nagle / TCP_NODELAY ratio:            %.1f (the wait removed: %.0f ms)\n",
              nagle / noDelay, (nagle - noDelay) * 1000);
  double before = 0, after = 0;
  if (!MillionUidsMemory(&before, &after)) {
    std::fprintf(stderr, "the million-UID checks failed\n");
    return 1;
  }
  if (after < 0)
    std::printf("peak memory, 1000000 UIDs of 70 bytes:  not measured on this build (limit 200 MB)\n");
  else
    std::printf("peak memory, 1000000 UIDs of 70 bytes:  %.0f MB (%.0f MB before the checks; limit 200 MB)\n",
                after, before);
  if (argc > 1) return CompareWithCurl(argv[1], argc > 2 ? argv[2] : "curl");
  return 0;
}
