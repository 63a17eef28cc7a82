// Times IMAP checks on a private Dovecot (see bench/dovecot-imap-bench) and
// prints times and ratios, never verdicts:
//  - a check of a folder of 100,000 unseen messages (the "bulk" INBOX)
//    against curl asking the same STATUS of the same folder;
//  - a check of an account with 10 folders ("carol", with the folders the
//    bench script adds), and its time per folder.
//   imap_bench DOVECOT_DIR [CURL | =CURL_SECONDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

void Prepare(bw::Pop3Checker& account, const std::string& port, const char* user, const char* folders) {
  account.ConnectionName = "bench";
  account.HostName = "127.0.0.1";
  account.ServiceName = port;
  account.UserID = user;
  account.Password = "secret";
  account.Protocol = 1;
  account.ImapFolders = folders;
  account.TOofSendRecv_Sec = 30;
  account.TOofConnect_Sec = 10;
}

// Best of `rounds` checks after one warm-up (which also fills the folders'
// memory, so that every timed check is the usual one: nothing new). Negative
// when a check failed.
double BestCheck(bw::Pop3Checker& account, int rounds) {
  double best = 1e9;
  for (int round = 0; round <= rounds; ++round) {
    account.CheckState = bw::Pop3Checker::Ready;
    const auto start = Clock::now();
    const int rc = account.Check();
    const auto end = Clock::now();
    if (rc != 0) return -1;
    if (round > 0) best = std::min(best, Seconds(start, end));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: imap_bench DOVECOT_DIR [CURL | =CURL_SECONDS]\n");
    return 2;
  }
  bw::LogReset();
  const std::string dir = argv[1];
  const std::string curl = argc > 2 ? argv[2] : "curl";
  std::ifstream portFile(dir + "/imap-port");
  std::string port;
  if (!(portFile >> port)) {
    std::fprintf(stderr, "no IMAP port in %s\n", dir.c_str());
    return 1;
  }
  // "=SECONDS" hands over a curl time measured outside (under Wine the Linux
  // curl cannot be started from here).
  const bool curlGiven = !curl.empty() && curl[0] == '=';
  const std::string command = curl + " -s imap://127.0.0.1:" + port +
                              "/ -u bulk:secret -X 'STATUS INBOX (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)'"
                              " >imap_bench.curl 2>/dev/null";
  double curlTime = 1e9;
  if (curlGiven) {
    curlTime = std::atof(curl.c_str() + 1);
  } else {
    for (int round = 0; round < 6; ++round) {  // the first warms Dovecot's index
      const auto start = Clock::now();
      if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "curl failed\n");
        return 1;
      }
      if (round > 0) curlTime = std::min(curlTime, Seconds(start, Clock::now()));
    }
    std::remove("imap_bench.curl");
  }

  bw::Pop3Checker bulk;
  Prepare(bulk, port, "bulk", "");
  if (bulk.Resolve() != 0) return 1;
  const double check = BestCheck(bulk, 5);
  if (check < 0 || bulk.MessageCount < 100000) {
    std::fprintf(stderr, "the bulk check failed (%u unseen)\n", bulk.MessageCount);
    return 1;
  }
  std::printf("Dovecot, %u unseen in INBOX: IMAP check %.1f ms, curl STATUS %.1f ms\n", bulk.MessageCount,
              check * 1000, curlTime * 1000);
#ifdef _WIN32
  std::printf("check / curl ratio:                    %.2f (goal <= 1.3 under Wine)\n", check / curlTime);
#else
  std::printf("check / curl ratio:                    %.2f (goal <= 1.0 native)\n", check / curlTime);
#endif

  // The same user with one folder and with ten: what each further folder
  // adds to a check.
  bw::Pop3Checker one, ten;
  Prepare(one, port, "carol", "INBOX");
  Prepare(ten, port, "carol",
          "INBOX,\x8E\x64\x8E\x96,Archive,Folder1,Folder2,Folder3,Folder4,Folder5,Folder6,Folder7");
  if (one.Resolve() != 0 || ten.Resolve() != 0) return 1;
  const double oneTime = BestCheck(one, 5);
  const double tenTime = BestCheck(ten, 5);
  if (oneTime < 0 || tenTime < 0) {
    std::fprintf(stderr, "the 1- or 10-folder check failed\n");
    return 1;
  }
  std::printf("10-folder account (%u unseen):        check %.1f ms (1 folder: %.1f ms; %.2f ms a further folder)\n",
              ten.MessageCount, tenTime * 1000, oneTime * 1000, (tenTime - oneTime) * 1000 / 9);
  return 0;
}
