// Times checks of two accounts on the same mailbox over POP3S: one logging in
// with its password, one with XOAUTH2. Prints the mean time of each and the
// ratio. Run by bench/oauth-bench, which sets up the servers and runs it
// twice: with access tokens the check keeps (the usual case), and with
// tokens too short to keep, where every check refreshes first.
//   oauth_bench PARAMFILE CA_FILE CHECKS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"
#include "common/core/param_file.h"
#include "platform/tls.h"

namespace {

class BenchController : public bw::AncestryPop3Controller {
 public:
  bw::AncestryPop3Checker* CreateAccount() override { return new bw::Pop3Checker; }
};

bw::Pop3Checker* Find(BenchController& c, const char* name) {
  bw::Pop3Checker* found = nullptr;
  bw::WalkRing(c.accountHead, [&](bw::AncestryPop3Checker* a) {
    if (a->ConnectionName == name) found = static_cast<bw::Pop3Checker*>(a);
  });
  return found;
}

// One check; its time in milliseconds, or a negative number when it failed.
double TimedCheck(bw::Pop3Checker& account) {
  account.CheckState = bw::Pop3Checker::Ready;
  const auto start = std::chrono::steady_clock::now();
  const int result = account.Check();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return result == 0 ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: oauth_bench PARAMFILE CA_FILE CHECKS\n");
    return 2;
  }
  const int checks = std::atoi(argv[3]);
  bw::net::SetExtraCaFile(argv[2]);
  BenchController controller;
  bw::ParameterFileHeader header;
  if (bw::ReadParameterFile(argv[1], controller, &header) < 0) return 2;
  bw::Pop3Checker* password = Find(controller, "password");
  bw::Pop3Checker* oauth = Find(controller, "oauth");
  if (!password || !oauth) return 2;
  auto access = std::make_shared<bw::OAuthAccess>(argv[2]);
  oauth->oauth = access;
  if (password->Resolve() != 0 || oauth->Resolve() != 0) return 1;
  // One of each first: connections, TLS set-up and the first token are not
  // what is measured.
  if (TimedCheck(*password) < 0 || TimedCheck(*oauth) < 0) {
    std::fprintf(stderr, "a first check failed (see the log)\n");
    return 1;
  }
  double passwordMs = 0, oauthMs = 0;
  for (int i = 0; i < checks; ++i) {
    const double p = TimedCheck(*password);
    const double o = TimedCheck(*oauth);
    if (p < 0 || o < 0) {
      std::fprintf(stderr, "check %d failed (see the log)\n", i + 1);
      return 1;
    }
    passwordMs += p;
    oauthMs += o;
  }
  passwordMs /= checks;
  oauthMs /= checks;
  std::printf("%d checks each: password %.2f ms, XOAUTH2 %.2f ms, ratio %.2f\n", checks, passwordMs, oauthMs,
              oauthMs / passwordMs);
  return 0;
}
