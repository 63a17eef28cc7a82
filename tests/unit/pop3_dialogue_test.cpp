// Whole checks against a scripted loopback server: what goes on the wire,
// what is logged, and the state and counts each reply leaves behind.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "checker/core/md5.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve.h"
#include "checker/core/resolve_worker.h"
#include "common/core/log.h"
#include "platform/socket.h"
#include "tests/unit/pop3_server_test.h"

namespace {

using bw::Pop3Checker;
using bw_test::Crlf;
using bw_test::Hangup;
using bw_test::LoggedIn;
using bw_test::Hear;
using bw_test::Pause;
using bw_test::Pop3Script;
using bw_test::Reply;
using bw_test::Say;
using bw_test::ScriptedPop3Server;
using bw_test::Trickle;
using bw_test::With;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

using Dialogue = bw_test::Pop3ServerTest;

TEST_F(Dialogue, UserPassStatDialogueIsSentAndLoggedByteForByte) {
  ScriptedPop3Server server({With(LoggedIn(), {Hear(), Reply("+OK 2 320"), Hear(), Reply("+OK")})});
  Point(server);
  EXPECT_EQ(account.Check(), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"USER taro", "PASS secret", "STAT", "QUIT"}));
  EXPECT_TRUE(Logged("POP3 <- <CONNECT>\n"
                     "POP3 -> +OK ready(11 Bytes)\n"
                     "POP3 <- USER taro(9+2 Bytes)\n"
                     "POP3 -> +OK(5 Bytes)\n"
                     "POP3 <- PASS ********(13+2 Bytes)\n"
                     "POP3 -> +OK(5 Bytes)\n"
                     "POP3 <- STAT(4+2 Bytes)\n"
                     "POP3 -> +OK 2 320(11 Bytes)\n"
                     "POP3 <- QUIT(4+2 Bytes)\n"
                     "POP3 -> +OK(5 Bytes)\n"
                     "home : 接続時間("))
      << LogText();
  EXPECT_TRUE(Logged("--- [home] --- "));
  EXPECT_EQ(LogText().find("secret"), std::string::npos) << "the password reached the log";
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_EQ(account.NewCount, 2);
  EXPECT_NE(account.LastCheckTime, 0);
}

// A check's lines are gathered and written when it ends: the whole check
// must be in the file when Check returns (the window side writes its own
// lines right after it), and a log the user deleted between two checks is
// created again holding the second check alone.
TEST_F(Dialogue, CheckLeavesItsWholeLogBehindAndALogDeletedBetweenChecksReturns) {
  const Pop3Script uidl = With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 a"), Reply("2 b"),
                                            Reply("."), Hear(), Reply("+OK")});
  ScriptedPop3Server server({uidl, uidl});
  Point(server);
  account.UseUIDL = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_TRUE(Logged("POP3 -> 2 b(5 Bytes)\n"
                     "POP3 -> .(3 Bytes)\n"
                     "POP3 <- QUIT(4+2 Bytes)\n"
                     "POP3 -> +OK(5 Bytes)\n"
                     "home : 接続時間("))
      << LogText();
  bw::LogWrite("未読発見 : ");  // as the cycle goes on after the check
  EXPECT_TRUE(Logged("秒)\n未読発見 : ")) << LogText();

  ASSERT_EQ(std::remove(Path("test.log").c_str()), 0);
  ASSERT_EQ(account.Check(), 0);
  const std::string log = LogText();
  EXPECT_EQ(log.rfind("--- [home] --- ", 0), 0u) << log;
  EXPECT_EQ(log.find("未読発見"), std::string::npos);
  EXPECT_TRUE(Logged("POP3 -> 2 b(5 Bytes)\nPOP3 -> .(3 Bytes)\n")) << log;
}

TEST_F(Dialogue, ApopSendsDigestOfChallengeAndPasswordAndIsChosenByUseApop) {
  const std::string greeting = "+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us> trailing";
  const Pop3Script apop = {Reply(greeting), Hear(), Reply("+OK"), Hear(), Reply("+OK 0 0"), Hear(),
                           Reply("+OK")};
  ScriptedPop3Server server(
      {apop, With(LoggedIn(greeting), {Hear(), Reply("+OK 0 0"), Hear(), Reply("+OK")}), apop});
  Point(server);
  account.UserID = "mrose";
  account.Password = "tanstaaf";
  account.UseAPOP = 0;  // automatic: the greeting carries a challenge
  EXPECT_EQ(account.Check(), 0);
  EXPECT_EQ(account.Challenge, "<1896.697170952@dbc.mtview.ca.us>");
  EXPECT_TRUE(Logged("\tChallengeStrings=<1896.697170952@dbc.mtview.ca.us>\n"));
  account.UseAPOP = 2;  // USER/PASS even though a challenge is offered
  EXPECT_EQ(account.Check(), 0);
  account.UseAPOP = 1;
  EXPECT_EQ(account.Check(), 0);
  Lines t = server.Transcript();
  ASSERT_GE(t.size(), 6u);
  EXPECT_EQ(t[0], "APOP mrose c4c9334bac560ecc979e58001b3e22fb");
  EXPECT_EQ(t[3], "USER mrose");
}

// With the challenge in the log, a logged digest would let a reader of the
// log try passwords offline; a logged byte count would tell the password's
// length. Both lines read the same whatever the password.
TEST_F(Dialogue, LogShowsNeitherTheApopDigestNorThePasswordsLength) {
  const std::string challenge = "<1896.697170952@dbc.mtview.ca.us>";
  const Pop3Script userPass = With(LoggedIn(), {Hear(), Reply("+OK 0 0"), Hear(), Reply("+OK")});
  const Pop3Script apop = {Reply("+OK ready " + challenge), Hear(), Reply("+OK"), Hear(), Reply("+OK 0 0"),
                           Hear(), Reply("+OK")};
  ScriptedPop3Server server({userPass, userPass, apop, apop});
  Point(server);
  const char* passwords[] = {"pw-Qz", "a much longer password"};
  for (int useApop : {2, 1}) {
    for (const char* password : passwords) {
      account.UseAPOP = useApop;
      account.Password = password;
      ASSERT_EQ(account.Check(), 0);
    }
  }
  const std::string log = LogText();
  auto occurrences = [&](const std::string& text) {
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(occurrences(Crlf("POP3 <- PASS ********(13+2 Bytes)\n")), 2) << log;
  EXPECT_EQ(occurrences(Crlf("POP3 <- APOP taro ********(18+2 Bytes)\n")), 2) << log;
  const Lines heard = server.Transcript();
  for (const char* password : passwords) {
    char digest[33];
    bw::Md5Hex((challenge + password).c_str(), digest);
    EXPECT_NE(std::find(heard.begin(), heard.end(), std::string("APOP taro ") + digest), heard.end());
    EXPECT_EQ(log.find(digest), std::string::npos) << "the digest reached the log";
    EXPECT_EQ(log.find(password), std::string::npos) << "the password reached the log";
  }
}

TEST_F(Dialogue, UidlCountsNewMessagesAgainstThePreviousListing) {
  const Pop3Script first = With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 abc def"), Reply("2"),
                                             Reply("3 x"), Reply("."), Hear(), Reply("+OK")});
  const Pop3Script second = With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 x"), Reply("2 y"),
                                              Reply("."), Hear(), Reply("+OK")});
  ScriptedPop3Server server({first, second});
  Point(server);
  account.UseUIDL = 1;
  ASSERT_EQ(account.Check(), 0);
  ASSERT_EQ(account.UidlMemory.size(), 2u);
  EXPECT_EQ(account.UidlMemory[0].uid, "abc def");  // inner space kept, "2" alone skipped
  EXPECT_EQ(account.UidlMemory[1].number, "3");
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_EQ(account.NewCount, 2);  // everything is new at the first check
  account.DisconnectNoQuit = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_EQ(account.NewCount, 1);
  EXPECT_EQ(server.Transcript(),
            (Lines{"USER taro", "PASS secret", "UIDL", "QUIT", "USER taro", "PASS secret", "UIDL"}));
}

// The broken listings name UIDs of their own, so only the listing kept from
// before the failure can leave "a" in the memory and make "b" and "c" new.
TEST_F(Dialogue, FailedListingKeepsTheLastGoodOneForTheNextComparison) {
  auto listing = [](std::initializer_list<const char*> uids) {
    Pop3Script s = With(LoggedIn(), {Hear(), Reply("+OK")});
    int n = 1;
    for (const char* u : uids) s.push_back(Reply(std::to_string(n++) + " " + u));
    s.push_back(Reply("."));
    return s;
  };
  Pop3Script broken = With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 z"), Pause(1500)});
  Pop3Script closed = With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 y"), Say("2 b"), Hangup()});
  ScriptedPop3Server server({listing({"a"}), broken, closed, listing({"a", "b", "c"})});
  Point(server);
  account.UseUIDL = 1;
  account.TOofSendRecv_Sec = 1;
  account.ContinueTimeout = 1;  // has no effect on a failed query
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.Check(), -30);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
  ASSERT_EQ(account.UidlMemory.size(), 1u);
  EXPECT_EQ(account.UidlMemory[0].uid, "a");
  EXPECT_TRUE(Logged("--- Timeout.\n"));
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -30);  // the server closes in the middle of a line
  EXPECT_TRUE(Logged("--- No Data.\n"));
  ASSERT_EQ(account.UidlMemory.size(), 1u);
  EXPECT_EQ(account.UidlMemory[0].uid, "a");
  account.CheckState = Pop3Checker::Ready;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 2);
}

TEST_F(Dialogue, StatNewCountFollowsTheCountRules) {
  auto stat = [](const char* reply) {
    return With(LoggedIn(), {Hear(), Reply(reply), Hear(), Reply("+OK")});
  };
  ScriptedPop3Server server({stat("+OK 3 10"), stat("+OK 5 10"), stat("+OK 5 10"), stat("+OK 2 10")});
  Point(server);
  const int expectedNew[] = {3, 2, 5, 2};
  const unsigned expectedCount[] = {3, 5, 5, 2};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(account.Check(), 0) << i;
    EXPECT_EQ(account.NewCount, expectedNew[i]) << i;
    EXPECT_EQ(account.MessageCount, expectedCount[i]) << i;
  }
}

TEST_F(Dialogue, UnparsableStatRepliesFailTheQuery) {
  auto stat = [](const char* reply) { return With(LoggedIn(), {Hear(), Reply(reply)}); };
  ScriptedPop3Server server({stat("+OK 3"), stat("+OK many 100"), stat("+OK 99999999999 1")});
  Point(server);
  for (int i = 0; i < 3; ++i) {
    account.CheckState = Pop3Checker::Ready;
    EXPECT_EQ(account.Check(), -30) << i;
    EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
    EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
    EXPECT_EQ(account.MessageCount, 0u);
  }
  EXPECT_TRUE(Logged("STAT応答解析失敗.\n"));
  // No QUIT after a failed query.
  EXPECT_EQ(server.Transcript().back(), "STAT");
}

TEST_F(Dialogue, GreetingProblemsEndInTheirOwnStates) {
  ScriptedPop3Server server({{Reply("-ERR busy")},
                             {Pause(1500)},
                             {Say(std::string(700, 'a'))}});
  Point(server);
  account.TOofSendRecv_Sec = 1;
  account.ContinueTimeout = 1;
  account.StartEmergency(std::time(nullptr));
  EXPECT_EQ(account.Check(), -10);
  EXPECT_EQ(account.CheckState, Pop3Checker::ServerRefused);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseConnection);
  EXPECT_FALSE(account.InEmergency());
  EXPECT_TRUE(Logged("接続拒否応答.\n"));
  std::string status;
  account.StatusText(status);
  EXPECT_EQ(status, "home:ｻｰﾊﾞ拒絶 (接続拒否応答)");

  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -10);  // greeting time-out, retry wanted
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  account.StatusText(status);
  EXPECT_EQ(status, "home:ﾘﾄﾗｲ待ち (接続ｴﾗｰ)");

  EXPECT_EQ(account.Check(), -10);  // 640 bytes without CR LF
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_TRUE(Logged("(640 Bytes)\n"));
  EXPECT_FALSE(account.Connected());
}

TEST_F(Dialogue, LoneCarriageReturnsDoNotEndALine) {
  // x CR CR LF: the second CR cancels the first and is no CR itself.
  ScriptedPop3Server server({{Say("+OK x\r\r\nmore\r\n"), Hear(), Reply("-ERR no such user")}});
  Point(server);
  EXPECT_EQ(account.Check(), -20);
  EXPECT_TRUE(Logged("POP3 -> +OK x(14 Bytes)\n"));
  EXPECT_TRUE(Logged("拒絶応答.\n"));
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_EQ(server.Transcript(), (Lines{"USER taro"}));
}

// "Not now" codes leave the account waiting for its next cycle whatever
// ContinueTimeout says; a refused password, or a permanent fault, stops it.
TEST_F(Dialogue, TemporaryLoginRefusalsWaitForTheNextCycleOthersSuspend) {
  const std::string apopGreeting = "+OK ready <1.2@host>";
  ScriptedPop3Server server({{Reply("+OK ready"), Hear(), Reply("-ERR [IN-USE] Mailbox in use")},
                             With(LoggedIn(), {Hear(), Reply("+OK 1 10"), Hear(), Reply("+OK")}),
                             {Reply("+OK"), Hear(), Reply("+OK"), Hear(), Reply("-ERR [sys/temp] later")},
                             {Reply(apopGreeting), Hear(), Reply("-ERR [LOGIN-DELAY] 60 wait")},
                             {Reply("+OK"), Hear(), Reply("+OK"), Hear(), Reply("-ERR [AUTH] wrong")},
                             {Reply("+OK"), Hear(), Reply("-ERR [SYS/PERM] closed")}});
  Point(server);
  account.ContinueTimeout = 0;
  EXPECT_EQ(account.Check(), -20);
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_TRUE(Logged("拒絶応答.\nhome : ｻｰﾊﾞは一時的にﾛｸﾞｲﾝを受け付けません[IN-USE]. "
                     "次回の更新で再試行します.\n"))
      << LogText();
  EXPECT_EQ(account.Check(), 0);  // the next cycle's check goes ahead
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(account.MessageCount, 1u);

  EXPECT_EQ(account.Check(), -20);  // PASS
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  EXPECT_TRUE(Logged("[SYS/TEMP]. 次回の更新で再試行します.\n"));
  account.UseAPOP = 0;
  EXPECT_EQ(account.Check(), -20);  // APOP
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  EXPECT_TRUE(Logged("[LOGIN-DELAY]. 次回の更新で再試行します.\n"));

  account.UseAPOP = 2;
  EXPECT_EQ(account.Check(), -20);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -20);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(server.Transcript().size(), 11u);
}

TEST_F(Dialogue, TerminatorWhereAReplyWasExpectedIsAProtocolError) {
  ScriptedPop3Server server({{Reply("+OK"), Hear(), Reply("."), Hangup()}});
  Point(server);
  EXPECT_EQ(account.Check(), -20);
  EXPECT_TRUE(Logged("Protocol Error.\n"));
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
}

TEST_F(Dialogue, RefusedConnectionIsExplainedAndRetriedOnlyWhenAsked) {
  std::uint16_t port = 0;
  bw::net::SocketHandle l = bw::net::ListenLoopback(&port, 1);
  bw::net::Close(l);
  account.ConnectionName = "home";
  account.HostName = "127.0.0.1";
  account.ServiceName = std::to_string(port);
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -10);
  EXPECT_TRUE(Logged("POP3 <- <CONNECT>\n"
                     "Connection Refused.  ｻｰﾊﾞ機は稼働中ですが、POP3ｻｰﾋﾞｽが有効でないと思われます.\n"
                     "connect() Failed.\n"))
      << LogText();
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseConnection);
  account.CheckState = Pop3Checker::Ready;
  account.ContinueConnectER = 1;
  EXPECT_EQ(account.Check(), -10);
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
}

TEST_F(Dialogue, DnsTimeoutInsideCheckRetriesAndResolvesAgainNextTime) {
  struct SlowThenFast : bw::NameLookup {
    std::atomic<int> delayMs{3000};
    bool Host(const std::string&, std::uint8_t a[4]) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
      a[0] = 127, a[1] = 0, a[2] = 0, a[3] = 1;
      return true;
    }
  };
  ScriptedPop3Server server({With(LoggedIn(), {Hear(), Reply("+OK 1 10"), Hear(), Reply("+OK")})});
  Point(server);
  auto lookup = std::make_shared<SlowThenFast>();
  account.lookup = lookup;
  account.HostName = "pop.example";
  account.TOofDNS_Sec = 1;
  account.ContinueTimeout = 1;
  EXPECT_EQ(account.Check(), -4);
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  std::string status;
  account.StatusText(status);
  EXPECT_EQ(status, "home:ﾘﾄﾗｲ待ち (DNSﾀｲﾑｱｳﾄ)");
  lookup->delayMs = 0;
  EXPECT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 1u);
}

TEST_F(Dialogue, ConnectTimeoutGivesUpWithinTheLimit) {
  // A listener whose queue is full leaves further connects hanging.
  std::uint16_t port = 0;
  bw::net::SocketHandle l = bw::net::ListenLoopback(&port, 0);
  const std::uint8_t loop[4] = {127, 0, 0, 1};
  std::vector<bw::net::SocketHandle> fillers;
  for (int i = 0; i < 8; ++i) {
    bw::net::SocketHandle s = bw::net::OpenTcp();
    fillers.push_back(s);
    if (bw::RunWithTimeout([s, loop, port] { bw::net::ConnectIPv4(s, loop, bw::PortToNetwork(port)); }, 300) !=
        bw::WorkerRun::Finished)
      break;  // this one hangs: the queue is full
  }
  account.ConnectionName = "home";
  account.HostName = "127.0.0.1";
  account.ServiceName = std::to_string(port);
  account.TOofConnect_Sec = 1;
  account.ContinueTimeout = 1;
  account.CheckState = Pop3Checker::Ready;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(account.Check(), -10);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
  EXPECT_TRUE(Logged("connect() Timeout.\n"));
  EXPECT_EQ(account.CheckState, Pop3Checker::RetryWait);
  bw::net::Close(l);
  for (auto s : fillers) bw::net::Close(s);
}

// Credentials that would end the command line early are never sent: the
// rest of the text would reach the server as commands of its own.
TEST_F(Dialogue, CredentialsWithLineBreaksOrNulAreNeverSent) {
  const std::string greeting = "+OK ready <1.2@example>";
  ScriptedPop3Server server({{Reply(greeting)}, {Reply(greeting)}, {Reply(greeting)}});
  Point(server);
  struct {
    std::string user, password;
    int useApop;
  } cases[] = {{"taro\r\nDELE 1", "secret", 2},
               {"taro", std::string("sec\0ret", 7), 2},
               {"taro\n", "secret", 1}};
  for (const auto& c : cases) {
    account.UserID = c.user;
    account.Password = c.password;
    account.UseAPOP = c.useApop;
    account.CheckState = Pop3Checker::Ready;
    EXPECT_EQ(account.Check(), -20);
    EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
    EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  }
  EXPECT_TRUE(server.Transcript().empty());
  EXPECT_TRUE(Logged("home : ﾕｰｻﾞIDかﾊﾟｽﾜｰﾄﾞに改行文字またはNUL文字があるため送信しません.\n"));
}

// Replies arriving one byte per packet, and several lines in one packet,
// read exactly as lines sent whole.
TEST_F(Dialogue, PacketBoundariesDoNotChangeTheLinesRead) {
  const std::string listing = "+OK\r\n1 a\r\n2 b c\r\n.\r\n";
  ScriptedPop3Server server({{Trickle("+OK ready\r\n", 1), Hear(), Trickle("+OK\r\n", 1), Hear(),
                              Trickle("+OK\r\n", 1), Hear(), Trickle(listing, 1), Hear(),
                              Reply("+OK")},
                             With(LoggedIn(), {Hear(), Say(listing), Hear(), Reply("+OK")})});
  Point(server);
  account.UseUIDL = 1;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(account.Check(), 0) << LogText();
    ASSERT_EQ(account.UidlMemory.size(), 2u);
    EXPECT_EQ(account.UidlMemory[1].uid, "b c");
  }
  EXPECT_TRUE(Logged("POP3 -> +OK ready(11 Bytes)\n"));
  EXPECT_TRUE(Logged("POP3 -> 2 b c(7 Bytes)\nPOP3 -> .(3 Bytes)\nPOP3 <- QUIT(4+2 Bytes)\n"));
  EXPECT_EQ(account.NewCount, 0);
}

// A reply sent ahead of its command is never taken as that command's
// answer: the command is not sent and the step fails.
TEST_F(Dialogue, RepliesSentAheadOfTheirCommandFailTheStep) {
  ScriptedPop3Server server({{Say("+OK ready\r\n+OK\r\n")},
                             With(LoggedIn(), {Hear(), Say("+OK 1 10\r\n+OK\r\n")})});
  Point(server);
  EXPECT_EQ(account.Check(), -20);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_TRUE(Logged("POP3 -> +OK ready(11 Bytes)\nProtocol Error.\n")) << LogText();
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), 0);  // only the ignored QUIT meets the early "+OK"
  EXPECT_EQ(account.MessageCount, 1u);
  EXPECT_EQ(server.Transcript(), (Lines{"USER taro", "PASS secret", "STAT"}));
}

// The send/receive time-out bounds a whole line: a server trickling a byte
// now and then, each well within the time-out, still times out.
TEST_F(Dialogue, TricklingServerTimesOutWithinTheLineLimit) {
  ScriptedPop3Server server({{Trickle("+OK ready\r\n", 250)}});
  Point(server);
  account.TOofSendRecv_Sec = 1;
  const auto start = Clock::now();
  EXPECT_EQ(account.Check(), -10);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_TRUE(Logged("--- Timeout.\n"));
  EXPECT_FALSE(account.Connected());
}

// A time-out of 0 has no limit of its own, but the ceiling still ends the
// wait for a server that accepts and never answers.
TEST_F(Dialogue, ZeroTimeOutStillEndsAtTheWaitCeiling) {
  ScriptedPop3Server server({{Pause(2500)}});
  Point(server);
  account.TOofSendRecv_Sec = 0;
  bw::SetWaitCeilingMs(400);
  const auto start = Clock::now();
  const int rc = account.Check();
  const auto took = Clock::now() - start;
  bw::SetWaitCeilingMs(0);
  EXPECT_EQ(rc, -10);
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  EXPECT_TRUE(Logged("--- Timeout.\n"));
  EXPECT_EQ(bw::TimeoutMs(0), bw::kWaitCeilingMs);
  EXPECT_EQ(bw::TimeoutMs(100000), bw::kWaitCeilingMs);
  EXPECT_EQ(bw::TimeoutMs(30), 30000);
}

}  // namespace
