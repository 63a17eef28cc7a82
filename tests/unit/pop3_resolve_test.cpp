// Resolution of an account's server: dotted addresses, numeric and named
// services, look-up time-outs and the states they leave.
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve.h"
#include "checker/core/resolve_worker.h"
#include "platform/socket.h"
#include "checker/core/simulation.h"
#include "tests/unit/test_support.h"

namespace {

using bw::Pop3Checker;
using bw_test::Crlf;

// Look-ups that answer after a delay, or not at all.
struct FakeLookup : bw::NameLookup {
  int delayMs = 0;
  bool hostKnown = true;
  std::uint16_t servicePort = 0;
  bool Host(const std::string&, std::uint8_t address[4]) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    if (!hostKnown) return false;
    const std::uint8_t a[4] = {10, 1, 2, 3};
    std::memcpy(address, a, 4);
    return true;
  }
  std::uint16_t ServiceByName(const std::string&) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return servicePort;
  }
  std::uint16_t ServiceByPort(std::uint16_t) override { return 0; }
};

class Resolve : public bw_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    account.ConnectionName = "home";
    account.HostName = "mail.example";
    account.ServiceName = "110";
    account.TOofDNS_Sec = 1;
    lookup = std::make_shared<FakeLookup>();
    account.lookup = lookup;
  }
  std::string Address() const {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", account.ResolvedAddress[0],
                  account.ResolvedAddress[1], account.ResolvedAddress[2], account.ResolvedAddress[3]);
    return text;
  }
  Pop3Checker account;
  std::shared_ptr<FakeLookup> lookup;
};

// A part above 255 or an empty part would otherwise connect to some other
// host (300 wrapping to 44, an empty part to 0) and send it the password.
TEST(DottedAddress, OutOfRangeEmptyAndMalformedPartsAreRefused) {
  struct Case {
    const char* text;
    int result;
    const char* address;
  } cases[] = {
      {"192.168.1.10", 0, "192.168.1.10"}, {"0.0.0.0", 0, "0.0.0.0"},
      {"255.255.255.255", 0, "255.255.255.255"},
      {"1..2.3", -11, ""},                 {".1.2.3", -11, ""},
      {"300.1.1.1", -11, ""},              {"1.2.3.256", -11, ""},
      {"192.168.1", -11, ""},              {"192.168.1.1.5", -11, ""},
      {"1234.1.1.1", -11, ""},             {"1.2.3.", -11, ""},
      {"10.0.0.x", -10, ""},               {"1..2.x", -10, ""},
  };
  for (const Case& c : cases) {
    std::uint8_t a[4] = {};
    EXPECT_EQ(bw::ParseDottedAddress(c.text, a), c.result) << c.text;
    if (c.result == 0) {
      char text[32];
      std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
      EXPECT_STREQ(text, c.address) << c.text;
    }
  }
}

TEST_F(Resolve, DottedAddressAndNumericServiceNeedNoLookup) {
  account.HostName = "192.168.1.10";
  lookup->delayMs = 5000;  // any look-up would time out
  EXPECT_EQ(account.Resolve(), 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(Address(), "192.168.1.10");
  EXPECT_EQ(bw::PortFromNetwork(static_cast<std::uint16_t>(account.ResolvedPort)), 110u);
  EXPECT_NE(LogText().find(Crlf("home : IPAddress=192.168.  1. 10(192.168.1.10), Port=110(110)\n")),
            std::string::npos);
}

TEST_F(Resolve, MalformedDottedAddressSuspendsWithoutCause) {
  account.HostName = "10.0.0.x";
  account.ErrorCause = Pop3Checker::CauseDns;
  EXPECT_EQ(account.Resolve(), -10);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseNone);
  EXPECT_NE(LogText().find(Crlf("home : IPアドレスの書式[10.0.0.x]が不正です.\n")), std::string::npos);
}

TEST_F(Resolve, HostLookupTimeoutRetriesOnlyWithContinueTimeout) {
  lookup->delayMs = 2500;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(account.Resolve(), -12);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseDns);
  EXPECT_EQ(account.ResolvedPort, 0);

  account.ContinueTimeout = 1;
  EXPECT_EQ(account.Resolve(), 12);
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  EXPECT_NE(LogText().find(Crlf("home : ホスト名[mail.example]をDNSに問い合わせ中にタイムアウトしました.\n")),
            std::string::npos);
  // The abandoned look-up must never write into the account afterwards.
  std::this_thread::sleep_for(std::chrono::milliseconds(1800));
  EXPECT_EQ(Address(), "0.0.0.0");
}

// A worker thread that cannot be created (a process out of room) is no
// time-out of the server's: the log says what happened, and ContinueTimeout
// does not make it a retry.
TEST_F(Resolve, WorkerThatCannotBeCreatedIsLoggedAsSuchNotAsATimeout) {
  account.ContinueTimeout = 1;
  account.TOofConnect_Sec = 1;
  bw::SetWorkerStartsFail(true);
  EXPECT_EQ(account.Resolve(), -12);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseSocket);
  int version = 0;
  bw::net::Startup(&version);
  const std::uint8_t loopback[4] = {127, 0, 0, 1};
  std::memcpy(account.ResolvedAddress, loopback, 4);
  account.ResolvedPort = bw::PortToNetwork(9);
  char line[bw::kPop3LineBufferSize];
  EXPECT_EQ(account.Connect(line), bw::ConnectSocketFailed);
  bw::SetWorkerStartsFail(false);
  bw::net::Cleanup();
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseSocket);
  const std::string log = LogText();
  EXPECT_NE(log.find(Crlf("home : 作業ｽﾚｯﾄﾞを作成できません.\nPOP3 <- <CONNECT>\nhome : 作業ｽﾚｯﾄﾞを作成できません.\n")),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("Timeout"), std::string::npos) << log;
  EXPECT_EQ(log.find("タイムアウト"), std::string::npos) << log;
}

TEST_F(Resolve, ZeroTimeoutWaitsForASlowLookup) {
  account.TOofDNS_Sec = 0;
  lookup->delayMs = 1300;
  EXPECT_EQ(account.Resolve(), 0);
  EXPECT_EQ(Address(), "10.1.2.3");
}

TEST_F(Resolve, UnknownHostAndUnknownServiceAreReportedSeparately) {
  lookup->hostKnown = false;
  EXPECT_EQ(account.Resolve(), -12);
  EXPECT_NE(LogText().find(Crlf("home : ホスト名[mail.example]がDNSに見つかりません.\n")), std::string::npos);

  lookup->hostKnown = true;
  account.ServiceName = "nosuchservice";
  EXPECT_EQ(account.Resolve(), -12);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseDns);
  EXPECT_NE(LogText().find(Crlf("home : サービス名[nosuchservice]がDNSに見つかりません.\n")),
            std::string::npos);

  lookup->servicePort = bw::PortToNetwork(110);
  account.ServiceName = "pop3";
  EXPECT_EQ(account.Resolve(), 0);
  EXPECT_EQ(bw::PortFromNetwork(static_cast<std::uint16_t>(account.ResolvedPort)), 110u);
}

TEST_F(Resolve, NumericServiceOutsidePortRangeDoesNotWrapToAnotherPort) {
  account.ServiceName = "65646";  // would wrap around to 110
  EXPECT_EQ(account.Resolve(), -12);
  EXPECT_EQ(account.ResolvedPort, 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
}

TEST_F(Resolve, SimulationSucceedsWithoutLookingAnythingUp) {
  int slept = 0;
  bw::SetSimulationHooks(nullptr, [&](int ms) { slept += ms; });
  bw::SetSimulationMode(true);
  lookup->hostKnown = false;
  EXPECT_EQ(account.Resolve(), 0);
  bw::SetSimulationMode(false);
  bw::SetSimulationHooks(nullptr, nullptr);
  EXPECT_EQ(slept, 500);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(account.ResolvedPort, 0);
}

}  // namespace
