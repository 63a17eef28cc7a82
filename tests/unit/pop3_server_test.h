// The fixture of the tests that run whole checks against the scripted
// loopback server: a log, the socket library for the test's own sockets, and
// an account pointed at the server.
#pragma once
#include <string>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "platform/socket.h"
#include "tests/servers/scripted_pop3.h"
#include "tests/unit/test_support.h"

namespace bw_test {

class Pop3ServerTest : public ScratchTest {
 protected:
  // Check brackets its own use of the socket library; the test's sockets
  // need it started too.
  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    int version;
    bw::net::Startup(&version);
  }
  void TearDown() override {
    bw::SetWaitCeilingMs(0);
    bw::SetCheckCeilingMs(0);
    bw::net::Cleanup();
    ScratchTest::TearDown();
  }
  // USER/PASS as taro, STAT, 2-second time-outs, no header fetch (the
  // header tests turn it on).
  void Point(const ScriptedPop3Server& server) { PointAt("127.0.0.1", server.service()); }
  void PointAt(const std::string& host, const std::string& service) {
    account.ConnectionName = "home";
    account.HostName = host;
    account.ServiceName = service;
    account.UserID = "taro";
    account.Password = "secret";
    account.UseUIDL = 0;
    account.UseAPOP = 2;
    account.TOofSendRecv_Sec = 2;
    account.TOofConnect_Sec = 2;
    account.FetchHeaders = 0;
    account.CheckState = bw::Pop3Checker::Ready;
  }
  bool Logged(const std::string& text) const { return LogText().find(Crlf(text)) != std::string::npos; }
  bw::Pop3Checker account;
};

}  // namespace bw_test
