// Times IMAP checks on a private Dovecot (see bench/dovecot-imap-bench) and
// prints times and ratios, never verdicts:
//  - a check of a folder of 100,000 unseen messages (the "bulk" INBOX)
//    against curl asking the same STATUS of the same folder: the whole curl
//    run, and curl's own time from its start of the transfer (time_total),
//    without the start of its process;
//  - a check of an account with 10 folders ("carol", with the folders the
//    bench script adds), and its time per folder;
//  - natively, the same dialogue against a scripted loopback server that
//    answers at once: the client's own cost, without Dovecot's.
//   imap_bench DOVECOT_DIR [CURL | =CURL_SECONDS,CURL_OWN_SECONDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"
#include "tests/servers/scripted_pop3.h"

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

// One check's time in seconds; negative when it failed.
double TimedCheck(bw::Pop3Checker& account) {
  account.CheckState = bw::Pop3Checker::Ready;
  const auto start = Clock::now();
  const int rc = account.Check();
  const auto end = Clock::now();
  return rc == 0 ? Seconds(start, end) : -1;
}

#ifndef _WIN32
// Best of `rounds` checks of one folder against the scripted server, in
// milliseconds: greeting, AUTHENTICATE PLAIN, STATUS, LOGOUT as Dovecot
// answers them. Negative when a check failed.
double ScriptedCheckMs(int rounds) {
  using namespace bw_test;
  // Each answer in one piece: the server's second write would otherwise
  // wait for the client's delayed acknowledgement of the first.
  const Pop3Script session{
      Reply("* OK [CAPABILITY IMAP4rev1 SASL-IR LITERAL+ AUTH=PLAIN] ready"), Hear(), Reply("a1 OK Logged in"), Hear(),
      Say("* STATUS INBOX (MESSAGES 100000 UIDNEXT 100001 UIDVALIDITY 7 UNSEEN 100000)\r\na2 OK done\r\n"), Hear(),
      Say("* BYE Logging out\r\na3 OK done\r\n")};
  ScriptedPop3Server server(std::vector<Pop3Script>(rounds + 1, session));
  bw::Pop3Checker account;
  Prepare(account, server.service(), "u", "");
  if (account.Resolve() != 0) return -1;
  double best = 1e9;
  for (int round = 0; round <= rounds; ++round) {
    const double t = TimedCheck(account);
    if (t < 0) return -1;
    if (round > 0) best = std::min(best, t);
  }
  return best * 1000;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: imap_bench DOVECOT_DIR [CURL | =CURL_SECONDS,CURL_OWN_SECONDS]\n");
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
  // "=SECONDS,OWN" hands over curl's times measured outside (under Wine the
  // Linux curl cannot be started from here).
  const bool curlGiven = !curl.empty() && curl[0] == '=';
  const std::string command = curl + " -s imap://127.0.0.1:" + port +
                              "/ -u bulk:secret -X 'STATUS INBOX (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)'"
                              " -o /dev/null -w '%{time_total}' >imap_bench.curl 2>/dev/null";
  auto runCurl = [&] { return curlGiven ? 0 : std::system(command.c_str()); };

  // The bulk INBOX; the same user ("carol") with one folder and with ten,
  // for what each further folder adds.
  bw::Pop3Checker bulk, one, ten;
  Prepare(bulk, port, "bulk", "");
  Prepare(one, port, "carol", "INBOX");
  Prepare(ten, port, "carol",
          "INBOX,\x8E\x64\x8E\x96,Archive,Folder1,Folder2,Folder3,Folder4,Folder5,Folder6,Folder7");
  if (bulk.Resolve() != 0 || one.Resolve() != 0 || ten.Resolve() != 0) return 1;
  // A warm-up of each (Dovecot builds its indexes at the first visit; the
  // first check fills the folders' memory, so every timed check is the
  // usual one: nothing new). Then the four take turns, so that a busy
  // machine slows them alike; best of each.
  double best[4] = {1e9, 1e9, 1e9, 1e9};
  double curlOwn = 1e9;
  for (int round = 0; round <= 10; ++round) {
    const auto start = Clock::now();
    if (runCurl() != 0) {
      std::fprintf(stderr, "curl failed\n");
      return 1;
    }
    const double times[4] = {Seconds(start, Clock::now()), TimedCheck(bulk), TimedCheck(one), TimedCheck(ten)};
    if (times[1] < 0 || times[2] < 0 || times[3] < 0) {
      std::fprintf(stderr, "a check failed\n");
      return 1;
    }
    if (round == 0) continue;
    if (!curlGiven) {
      std::ifstream own("imap_bench.curl");
      double seconds = 0;
      if (own >> seconds) curlOwn = std::min(curlOwn, seconds);
    }
    for (int i = 0; i < 4; ++i) best[i] = std::min(best[i], times[i]);
  }
  std::remove("imap_bench.curl");
  const double curlTime = curlGiven ? std::atof(curl.c_str() + 1) : best[0];
  if (curlGiven) {
    const std::size_t comma = curl.find(',');
    curlOwn = comma == std::string::npos ? 1e9 : std::atof(curl.c_str() + comma + 1);
  }
  if (bulk.MessageCount < 100000) {
    std::fprintf(stderr, "the bulk INBOX holds %u unseen\n", bulk.MessageCount);
    return 1;
  }
  std::printf("Dovecot, %u unseen in INBOX: IMAP check %.1f ms, curl STATUS %.1f ms (its own time %.1f ms)\n",
              bulk.MessageCount, best[1] * 1000, curlTime * 1000, curlOwn * 1000);
#ifdef _WIN32
  std::printf("check / curl ratio:                    %.2f (goal <= 1.3 under Wine)\n", best[1] / curlTime);
#else
  std::printf("check / curl ratio:                    %.2f (goal <= 1.0 native)\n", best[1] / curlTime);
#endif
  std::printf("check / curl's own time:                %.2f\n", best[1] / curlOwn);
  std::printf("10-folder account (%u unseen):        check %.1f ms (1 folder: %.1f ms; %.2f ms a further folder)\n",
              ten.MessageCount, best[3] * 1000, best[2] * 1000, (best[3] - best[2]) * 1000 / 9);
#ifndef _WIN32
  // Under Wine the scripted server's threads share the process and Wine's
  // sockets with the check, so the figure would not be the client's alone.
  const double scripted = ScriptedCheckMs(10);
  if (scripted < 0) {
    std::fprintf(stderr, "the scripted check failed\n");
    return 1;
  }
  std::printf("the same check, scripted server:       %.2f ms (the client's own cost)\n", scripted);
#endif
  return 0;
}
