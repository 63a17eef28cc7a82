// bellwick-check: the checker's core without the window. Reads a parameter
// file (which sets up the log), resolves every account once as at start-up,
// checks every account once in list order and prints each account's status
// line, POP3 and IMAP accounts alike. For cron jobs, status bars, trying
// out server settings and tests.
// With --sign-in it signs one OAuth account in instead and stores its token.
// With --watch it stays after the first round and runs the checker's cycle.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/check_cycle.h"
#include "checker/core/cycle_accounts.h"

#include "checker/core/header_text.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/simulation.h"
#include "checker/core/socket_library.h"
#include "common/core/log.h"
#include "common/core/oauth_sign_in.h"
#include "common/core/param_file.h"
#include "common/core/param_rewrite.h"
#include "platform/console_text.h"
#include "platform/socket.h"
#include "platform/message_box.h"
#include "platform/tls.h"
#include "tools/print_box.h"

namespace {

// A controller whose account blocks become run-time accounts.
class CheckController : public bw::AncestryPop3Controller {
 public:
  bw::AncestryPop3Checker* CreateAccount() override { return new bw::Pop3Checker; }
};

volatile std::sig_atomic_t g_stop = 0;
extern "C" void StopWatching(int) { g_stop = 1; }

// The cycle's window side for a console: one-shot timers on the steady
// clock, and nothing to show but the status lines the loop prints.
class ConsoleHost : public bw::CycleHost {
 public:
  using Clock = std::chrono::steady_clock;
  void ArmTimer(unsigned id, unsigned milliseconds) override {
    timers_[id] = Clock::now() + std::chrono::milliseconds(milliseconds);
  }
  void KillTimer(unsigned id) override { timers_.erase(id); }
  int RemoveQueuedTimerMessages() override { return 0; }
  int PlatformFamily() override { return bw::kFamilyOther; }
  bool ScreenSaverDesktopOpens() override { return false; }
  bool ScreenSaverWindowExists() override { return false; }
  void SetButtonPressed(bool) override {}
  void ShowConnectingFace(const std::string&) override {}
  void ShowFaceText() override {}
  void Restore() override {}
  void RunAutoExecSequence() override {}
  void TerminateAutoExecApplications() override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  bool WindowRectangle(int&, int&, int&, int&) override { return false; }
  void PostQuit(int) override { g_stop = 1; }
  void DestroyWindow() override {}
  std::time_t Now() override { return std::time(nullptr); }
  bool NetworkUp() override { return bw::net::UsableIpv4Address(); }

  // The timer due first, if it is due by now.
  bool TakeDue(unsigned* id) {
    auto first = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (first == timers_.end() || it->second < first->second) first = it;
    if (first == timers_.end() || first->second > Clock::now()) return false;
    *id = first->first;
    return true;
  }
  // Milliseconds until the first timer is due, at most `limit`.
  int WaitBeforeDue(int limit) const {
    const auto now = Clock::now();
    long long wait = limit;
    for (const auto& timer : timers_) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer.second - now).count();
      wait = std::min(wait, std::max(0LL, static_cast<long long>(left)));
    }
    return static_cast<int>(wait);
  }

 private:
  std::map<unsigned, Clock::time_point> timers_;
};

// `result` in the -v columns: the check's, or with --watch 0 for an account
// that is Ready and 1 for any other.
void PrintStatus(bw::Pop3Checker& account, int result, bool verbose) {
  bw::AttributeRequest line{"ST", {}};
  account.AttributeText(line);
  if (verbose) std::printf("%d\t%u\t%d\t", result, account.MessageCount, account.NewCount);
  std::printf("%s\n", bw::Cp932ToUtf8(line.result).c_str());
  std::fflush(stdout);
}

// The accounts on the checker's cycle until SIGINT or SIGTERM: the first
// round at once, then each account on its own cycle, with the rules of
// sleep and network loss. An account's status line is printed whenever its
// state or count changes.
int Watch(CheckController& controller, bool verbose,
          const std::shared_ptr<bw::NetworkConditions>& network) {
  std::signal(SIGINT, StopWatching);
  std::signal(SIGTERM, StopWatching);
  controller.InitSleep_Sec = 0;
  bw::WalkRing(controller.accountHead,
               [](bw::AncestryPop3Checker* each) { static_cast<bw::Pop3Checker*>(each)->pushAllowed = true; });
  bw::Pop3CycleAccounts accounts(controller);
  ConsoleHost host;
  bw::CycleState state;
  bw::CheckCycle cycle(controller, accounts, host, state, network.get());
  struct Shown {
    int state = -1;
    std::uint32_t count = 0;
  };
  std::vector<Shown> shown(static_cast<size_t>(accounts.Count()));
  std::vector<bw::Pop3Checker*> list;
  bw::WalkRing(controller.accountHead,
               [&list](bw::AncestryPop3Checker* a) { list.push_back(static_cast<bw::Pop3Checker*>(a)); });

  auto show = [&](std::size_t i) {
    bw::Pop3Checker& account = *list[i];
    Shown& before = shown[i];
    if (account.CheckState != before.state || account.MessageCount != before.count) {
      before.state = account.CheckState;
      before.count = account.MessageCount;
      PrintStatus(account, account.CheckState == bw::AccountCodes::Ready ? 0 : 1, verbose);
    }
  };

  cycle.ArmAtStartup();
  using Clock = std::chrono::steady_clock;
  auto lastSteady = Clock::now();
  auto lastWall = std::chrono::system_clock::now();
  while (!g_stop) {
    unsigned id = 0;
    if (!host.TakeDue(&id)) {
      // Idling accounts: whatever their servers sent is taken (the look
      // costs no wait); then the wait for the next timer ends as soon as
      // one of their servers sends again. It lasts a second at most, so
      // that a stop and a wake-up are noticed.
      std::vector<bw::net::SocketHandle> sockets;
      for (std::size_t i = 0; i < list.size() && i < bw::kAccountTimerLimit; ++i) {
        if (!list[i]->Idling()) continue;
        cycle.OnPushReadable(static_cast<int>(i));
        show(i);
        for (bw::net::SocketHandle s : list[i]->IdleSockets()) sockets.push_back(s);
      }
      const int wait = host.WaitBeforeDue(1000);
      if (bw::net::WaitAnyReadable(sockets, wait) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
      // The steady clock stands still while the machine sleeps and the
      // wall clock does not: a jump between them is a wake-up.
      const auto steady = Clock::now();
      const auto wall = std::chrono::system_clock::now();
      if ((wall - lastWall) - (steady - lastSteady) > std::chrono::seconds(30)) cycle.OnResume();
      lastSteady = steady;
      lastWall = wall;
      continue;
    }
    cycle.OnTimer(id);
    if (id < list.size()) show(id);
  }
  // Kept connections log out.
  for (bw::Pop3Checker* account : list) account->EndPush(true);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bellwick-check -p PARAMFILE [-s] [-n TIMES | --watch] [-l LOGFILE]\n"
               "                      [-v] [--ca-file FILE]\n"
               "       bellwick-check --sign-in NAME -p PARAMFILE [--ca-file FILE]\n"
               "                      [--browser COMMAND]\n"
               "  -p FILE     the parameter file (also accepted without -p)\n"
               "  -s          simulation mode (no network)\n"
               "  -n TIMES    check every account TIMES times (default 1)\n"
               "  --watch     stay after the first round: every account is checked on\n"
               "              its own cycle, and its status line printed whenever its\n"
               "              state or count changes, until SIGINT or SIGTERM (exit 0);\n"
               "              with -v the first column is 0 for a Ready account, else 1;\n"
               "              IMAP accounts whose server offers IDLE stay connected and\n"
               "              are heard at once\n"
               "  -l LOGFILE  log to LOGFILE instead of the file's LogFileName\n"
               "  -v          print the result and the message and new counts,\n"
               "              tab-separated, before each status line\n"
               "  --headers   after the status lines, print each fetched header of\n"
               "              new mail as ACCOUNT<TAB>FROM<TAB>SUBJECT<TAB>DATE (UTF-8)\n"
               "  --ca-file FILE  trust the CA certificates of this PEM file as well\n"
               "              as the system's, for accounts with UseTLS (test and\n"
               "              private servers; not used by the Windows build, which\n"
               "              trusts what the certificate stores trust); also for\n"
               "              the OAuth token endpoint\n"
               "  --sign-in NAME  sign the account NAME (its ConnectionName) in with\n"
               "              OAuth: prints the provider's URL, opens it, waits for\n"
               "              the browser's redirect and stores the token in the file\n"
               "  --browser COMMAND  open the URL with COMMAND (the URL its one\n"
               "              argument) instead of the system's browser\n"
               "Checks POP3 and IMAP accounts (Protocol 1); an IMAP account counts\n"
               "the unseen messages of its folders (ImapFolders, else INBOX).\n"
               "Prints each account's status line per check. Exit status 0 when\n"
               "every check succeeded, 1 otherwise, 2 for a usage or\n"
               "parameter-file error.\n");
  return 2;
}

// The sign-in of one account: 0 when the token was stored, 1 otherwise.
int SignIn(const char* paramFile, CheckController& controller, const std::string& name,
           const std::string& caFile, const std::string& browser) {
  bw::AncestryPop3Checker* account = nullptr;
  bw::WalkRing(controller.accountHead, [&](bw::AncestryPop3Checker* a) {
    if (!account && a->ConnectionName == name) account = a;
  });
  if (!account) {
    std::fprintf(stderr, "%s: no account named %s\n", paramFile, name.c_str());
    return 2;
  }
  bw::oauth::SignInOptions options;
  options.browserCommand = browser;
  options.showUrl = [](const std::string& url) {
    std::printf("%s\n", url.c_str());
    std::fflush(stdout);
  };
  options.store = [paramFile, account](const std::string& stored) {
    return bw::SaveAccountToken(paramFile, account->ConnectionName, account->HostName, account->UserID, stored)
               ? std::string()
               : std::string(paramFile) + " ファイルにトークンを保存できません.";
  };
  auto https = bw::net::HttpsClient::Create(caFile);
  const bw::oauth::SignInResult result = bw::oauth::SignIn(*account, *https, options);
  bw::LogWrite("%s : %s\n", account->ConnectionName.c_str(), result.message.c_str());
  std::fprintf(result.status == bw::oauth::kSignInOk ? stdout : stderr, "%s\n",
               bw::Cp932ToUtf8(result.message).c_str());
  return result.status == bw::oauth::kSignInOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bw::SetMessageBoxHandler(bw::PrintBox, nullptr);
  bool simulate = false;
  int times = 1;
  const char* logFile = nullptr;
  const char* paramFile = nullptr;
  bool verbose = false;
  bool headers = false;
  bool watch = false;
  std::string caFile;
  const char* signInName = nullptr;
  std::string browser;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-s") == 0) {
      simulate = true;
    } else if (std::strcmp(argv[i], "-v") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[i], "--watch") == 0) {
      watch = true;
    } else if (std::strcmp(argv[i], "--headers") == 0) {
      headers = true;
    } else if (std::strcmp(argv[i], "-p") == 0 && i + 1 < argc && !paramFile) {
      paramFile = argv[++i];
    } else if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc) {
      times = std::atoi(argv[++i]);
      if (times < 1) return Usage();
    } else if (std::strcmp(argv[i], "--ca-file") == 0 && i + 1 < argc) {
      caFile = argv[++i];
      bw::net::SetExtraCaFile(caFile);
    } else if (std::strcmp(argv[i], "--sign-in") == 0 && i + 1 < argc && !signInName) {
      signInName = argv[++i];
    } else if (std::strcmp(argv[i], "--browser") == 0 && i + 1 < argc) {
      browser = argv[++i];
    } else if (std::strcmp(argv[i], "-l") == 0 && i + 1 < argc) {
      logFile = argv[++i];
    } else if (argv[i][0] != '-' && !paramFile) {
      paramFile = argv[i];
    } else {
      return Usage();
    }
  }
  if (!paramFile) return Usage();

  CheckController controller;
  bw::ParameterFileHeader header;
  if (bw::ReadParameterFile(paramFile, controller, &header) < 0 || !controller.accountHead) {
    std::fprintf(stderr, "%s: no accounts could be read\n", paramFile);
    return 2;
  }
  if (logFile) bw::LogSetup(logFile, header.logFileLimit > 0 ? header.logFileLimit : 16384);
  // Said once by name; the check of such an account ends before anything
  // is sent, and the others are checked as usual.
  bw::WalkRing(controller.accountHead, [](bw::AncestryPop3Checker* each) {
    if (each->PasswordUnreadable && !each->UsesOAuth())
      std::fprintf(stderr, "%s: %s\n", bw::Cp932ToUtf8(each->ConnectionName).c_str(),
                   bw::Cp932ToUtf8(bw::UnreadablePasswordText()).c_str());
  });
  if (signInName) return SignIn(paramFile, controller, signInName, caFile, browser);
  if (simulate) bw::SetSimulationMode(true);

  // OAuth accounts share one HTTPS client; a rotated refresh token goes
  // back into the file at once.
  auto oauth = std::make_shared<bw::OAuthAccess>(caFile);
  oauth->SaveTokensIn(paramFile);

  // Resolve every account once, as the checker does at start-up.
  auto* head = controller.accountHead;
  auto* a = head;
  // A failed look-up or connect without a usable address waits for the
  // network, as in the checker.
  auto network = std::make_shared<bw::NetworkConditions>();
  network->addressUsable = &bw::net::UsableIpv4Address;
  bw::WalkRing(head, [&oauth, &network](bw::AncestryPop3Checker* each) {
    static_cast<bw::Pop3Checker*>(each)->oauth = oauth;
    static_cast<bw::Pop3Checker*>(each)->network = network;
  });
  {
    bw::SocketLibrary library;
    if (library.result() != bw::SocketLibrary::Started) {
      std::fprintf(stderr, "socket library could not be started\n");
      return 1;
    }
    do {
      static_cast<bw::Pop3Checker*>(a)->Resolve();
      a = a->NextAccount();
    } while (a && a != head);
  }

  if (watch) return Watch(controller, verbose, network);

  int status = 0;
  // One line per fetched header, in check order, each check's newest first.
  std::vector<std::string> headerLines;
  for (int round = 0; round < times; ++round) {
    a = head;
    do {
      auto* account = static_cast<bw::Pop3Checker*>(a);
      int result = account->Check();
      PrintStatus(*account, result, verbose);
      if (result != 0) status = 1;
      for (const bw::MailHeader& h : account->FetchedHeaders)
        headerLines.push_back(bw::Utf16ToUtf8(bw::Cp932Text(account->ConnectionName)) + "\t" + bw::Utf16ToUtf8(h.from) + "\t" +
                              bw::Utf16ToUtf8(h.subject) + "\t" + bw::Utf16ToUtf8(h.date));
      a = a->NextAccount();
    } while (a && a != head);
  }
  if (headers)
    for (const std::string& line : headerLines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return status;
}
