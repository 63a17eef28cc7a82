// Times checks of one mailbox with and without fetching the headers of the
// newest 20 new messages, over POP3 (UIDL) and IMAP, and prints the ratio of
// each. Every check is made to find all 40 messages new (the account forgets
// what it saw), so the two differ only in the fetch. Run by
// bench/dovecot-header-bench, which starts the private Dovecot.
//   header_bench POP3_PORT IMAP_PORT CHECKS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/core/pop3_checker.h"

namespace {

void Point(bw::Pop3Checker& account, const char* port, int protocol) {
  account.ConnectionName = protocol ? "imap" : "pop";
  account.HostName = "127.0.0.1";
  account.ServiceName = port;
  account.UserID = "ichiro";
  account.Password = "secret";
  account.UseAPOP = 2;
  account.UseUIDL = 1;
  account.Protocol = protocol;
  account.TOofConnect_Sec = 10;
  account.TOofSendRecv_Sec = 10;
}

// One check with everything new again; its time in milliseconds, or a
// negative number when it failed or fetched other than expected.
double TimedCheck(bw::Pop3Checker& account, int fetch) {
  account.CheckState = bw::Pop3Checker::Ready;
  account.UidlMemory.clear();
  account.ImapMemory.clear();
  account.FetchHeaders = fetch;
  const auto start = std::chrono::steady_clock::now();
  const int result = account.Check();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (result != 0 || account.FetchedHeaders.size() != (fetch ? 20u : 0u)) return -1;
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Alternates checks without and with the fetch; prints the medians and
// their ratio. False when a check failed.
bool Measure(const char* name, bw::Pop3Checker& account, int checks) {
  if (TimedCheck(account, 0) < 0 || TimedCheck(account, 1) < 0) return false;  // warm-up
  std::vector<double> plain, fetching;
  for (int i = 0; i < checks; ++i) {
    const double p = TimedCheck(account, 0);
    const double f = TimedCheck(account, 1);
    if (p < 0 || f < 0) return false;
    plain.push_back(p);
    fetching.push_back(f);
  }
  const double p = Median(plain), f = Median(fetching);
  std::printf("%s: %d checks each, median %.2f ms without headers, %.2f ms with 20, ratio %.3f\n", name, checks, p, f,
              f / p);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: header_bench POP3_PORT IMAP_PORT CHECKS\n");
    return 2;
  }
  const int checks = std::max(1, std::atoi(argv[3]));
  bw::Pop3Checker pop, imap;
  Point(pop, argv[1], 0);
  Point(imap, argv[2], 1);
  if (pop.Resolve() != 0 || imap.Resolve() != 0) return 1;
  if (!Measure("POP3", pop, checks) || !Measure("IMAP", imap, checks)) {
    std::fprintf(stderr, "a check failed or fetched other than 20 headers\n");
    return 1;
  }
  return 0;
}
