// Measures how a UIDL check scales with the size of the mailbox, and what
// the per-line log costs. Prints measured times and ratios; a check that
// grows linearly shows a size ratio near the message-count ratio (10).
#include <chrono>
#include <cstdio>
#include <string>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"
#include "tests/servers/scripted_pop3.h"

namespace {

using namespace bw_test;

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

// Seconds of the second of two checks of the same mailbox (the first fills
// the UIDL memory, so the second compares a full listing against it).
double SecondCheck(int messages) {
  const std::string listing = Listing(messages);
  ScriptedPop3Server server({Session(listing), Session(listing)});
  bw::Pop3Checker account;
  account.ConnectionName = "bench";
  account.HostName = "127.0.0.1";
  account.ServiceName = server.service();
  account.UserID = "u";
  account.Password = "p";
  account.UseUIDL = 1;
  account.UseAPOP = 2;
  account.TOofSendRecv_Sec = 10;
  account.CheckState = bw::Pop3Checker::Ready;
  if (account.Check() != 0) return -1;
  auto start = std::chrono::steady_clock::now();
  int rc = account.Check();
  auto end = std::chrono::steady_clock::now();
  if (rc != 0 || account.MessageCount != static_cast<unsigned>(messages) || account.NewCount != 0)
    return -1;
  return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main() {
  bw::LogReset();
  const double small = SecondCheck(10000);
  const double large = SecondCheck(100000);
  bw::LogSetup("uidl_bench.log", 1 << 20);
  const double logged = SecondCheck(10000);
  bw::LogReset();
  std::remove("uidl_bench.log");
  if (small <= 0 || large <= 0 || logged <= 0) {
    std::fprintf(stderr, "a check failed\n");
    return 1;
  }
  std::printf("UIDL check, 10000 messages, no log:   %.3f s\n", small);
  std::printf("UIDL check, 100000 messages, no log:  %.3f s\n", large);
  std::printf("UIDL check, 10000 messages, logged:   %.3f s\n", logged);
  std::printf("size ratio (100000 / 10000 messages): %.2f (10 = linear)\n", large / small);
  std::printf("log ratio (logged / not logged):      %.2f\n", logged / small);
  return 0;
}
