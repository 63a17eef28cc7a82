// bellwick-check: the checker's core without the window. Reads a parameter
// file (which sets up the log), resolves every account once as at start-up,
// checks every account once in list order and prints each account's status
// line. For cron jobs, status bars, trying out server settings and tests.
// With --sign-in it signs one OAuth account in instead and stores its token.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "checker/core/header_text.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/simulation.h"
#include "checker/core/socket_library.h"
#include "common/core/log.h"
#include "common/core/oauth_sign_in.h"
#include "common/core/param_file.h"
#include "common/core/param_rewrite.h"
#include "platform/console_text.h"
#include "platform/message_box.h"
#include "platform/tls.h"
#include "tools/print_box.h"

namespace {

// A controller whose account blocks become run-time accounts.
class CheckController : public bw::AncestryPop3Controller {
 public:
  bw::AncestryPop3Checker* CreateAccount() override { return new bw::Pop3Checker; }
};

int Usage() {
  std::fprintf(stderr,
               "usage: bellwick-check -p PARAMFILE [-s] [-n TIMES] [-l LOGFILE] [-v]\n"
               "                      [--ca-file FILE]\n"
               "       bellwick-check --sign-in NAME -p PARAMFILE [--ca-file FILE]\n"
               "                      [--browser COMMAND]\n"
               "  -p FILE     the parameter file (also accepted without -p)\n"
               "  -s          simulation mode (no network)\n"
               "  -n TIMES    check every account TIMES times (default 1)\n"
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
  auto https = bw::net::HttpsClient::Create(caFile);
  bw::oauth::SignInResult result = bw::oauth::SignIn(*account, *https, options);
  if (result.status == bw::oauth::kSignInOk &&
      !bw::SaveAccountToken(paramFile, account->ConnectionName, account->HostName, account->UserID,
                            result.storedToken)) {
    result.status = bw::oauth::kSignInNotStored;
    result.message = std::string(paramFile) + " ファイルにトークンを保存できません.";
  }
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
  std::string caFile;
  const char* signInName = nullptr;
  std::string browser;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-s") == 0) {
      simulate = true;
    } else if (std::strcmp(argv[i], "-v") == 0) {
      verbose = true;
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
  bw::WalkRing(head, [&oauth](bw::AncestryPop3Checker* each) { static_cast<bw::Pop3Checker*>(each)->oauth = oauth; });
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

  int status = 0;
  // One line per fetched header, in check order, each check's newest first.
  std::vector<std::string> headerLines;
  for (int round = 0; round < times; ++round) {
    a = head;
    do {
      auto* account = static_cast<bw::Pop3Checker*>(a);
      int result = account->Check();
      bw::AttributeRequest line{"ST", {}};
      account->AttributeText(line);
      if (verbose) std::printf("%d\t%u\t%d\t", result, account->MessageCount, account->NewCount);
      std::printf("%s\n", bw::Cp932ToUtf8(line.result).c_str());
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
