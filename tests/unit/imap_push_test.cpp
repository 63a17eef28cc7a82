// Push for IMAP accounts against the scripted loopback server: the kept
// connection and its IDLE, news heard and counted on it, a quiet wait, the
// watchdog's round trip, a dropped connection and its back-off.
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"
#include "tests/unit/pop3_server_test.h"

namespace {

using bw::Pop3Checker;
using bw_test::Hangup;
using bw_test::Hear;
using bw_test::Pause;
using bw_test::Pop3Script;
using bw_test::Reply;
using bw_test::ScriptedPop3Server;
using bw_test::With;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

std::string StatusReply(int unseen, int uidNext) {
  return "* STATUS INBOX (MESSAGES 9 UNSEEN " + std::to_string(unseen) + " UIDNEXT " + std::to_string(uidNext) +
         " UIDVALIDITY 7)";
}
// Login and the first count (a1, a2), then EXAMINE and IDLE (a3, a4).
Pop3Script IdleAfterCheck(int unseen, int uidNext) {
  return {Reply("* OK [CAPABILITY IMAP4rev1 IDLE] ready"), Hear(), Reply("a1 OK in"), Hear(),
          Reply(StatusReply(unseen, uidNext)), Reply("a2 OK"), Hear(), Reply("a3 OK [READ-ONLY]"), Hear(),
          Reply("+ idling")};
}

class ImapPush : public bw_test::Pop3ServerTest {
 protected:
  void PointImap(const ScriptedPop3Server& server) {
    Point(server);
    account.Protocol = 1;
    account.CycleMinutes = 2;
    account.pushAllowed = true;
  }
  // Hands the connection's readiness to the account as the window would,
  // until it reports something other than a quiet wait or `ms` pass.
  int Wait(int ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      const int event = account.PushReadable();
      if (event != Pop3Checker::PushQuiet) return event;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Pop3Checker::PushQuiet;
  }
  std::string StatusLine() {
    std::string text;
    account.StatusText(text);
    return text;
  }
};

// The check keeps its connection and idles; "* OK Still here" is heard
// without a line in the log; EXISTS ends the IDLE and the counts are taken
// again on the same connection (the new message found from UIDNEXT), then
// IDLE resumes; the end of push logs out.
TEST_F(ImapPush, NewsIsCountedOnTheKeptConnectionAndAQuietWaitLogsNothing) {
  ScriptedPop3Server server({With(IdleAfterCheck(2, 10),
                                  {Pause(200), Reply("* OK Still here"), Pause(300), Reply("* 10 EXISTS"), Hear(),
                                   Reply("a4 OK idle done"), Hear(), Reply(StatusReply(3, 11)), Reply("a5 OK"),
                                   Hear(), Reply("* SEARCH 10"), Reply("a6 OK"), Hear(), Reply("+ idling"), Hear(),
                                   Reply("a7 OK"), Hear(), Reply("* BYE"), Reply("a8 OK")})});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_TRUE(account.Idling()) << LogText();
  EXPECT_EQ(account.PushTimerMs(), 2 * 60000);  // the watchdog, once a cycle
  EXPECT_NE(StatusLine().find("未読数=2(2) [2分周期] [IDLE待機中]"), std::string::npos) << StatusLine();
  EXPECT_NE(LogText().find("home : IDLEで待機開始[INBOX]."), std::string::npos) << LogText();

  const std::size_t before = LogText().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  EXPECT_EQ(account.PushReadable(), Pop3Checker::PushQuiet);
  EXPECT_EQ(LogText().size(), before) << LogText().substr(before);

  ASSERT_EQ(Wait(3000), Pop3Checker::PushChanged) << LogText();
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 1);
  EXPECT_TRUE(account.Idling());
  account.EndPush(true);
  EXPECT_FALSE(account.Idling());
  EXPECT_EQ(server.Transcript(),
            (Lines{"a1 LOGIN \"taro\" \"secret\"", "a2 STATUS \"INBOX\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)",
                   "a3 EXAMINE \"INBOX\"", "a4 IDLE", "DONE",
                   "a5 STATUS \"INBOX\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)", "a6 UID SEARCH UNSEEN UID 10:*",
                   "a7 IDLE", "DONE", "a8 LOGOUT"}));
  EXPECT_EQ(server.connectionsSeen(), 1);
}

// UseIdle 0, or a server without IDLE: the check logs out as before.
TEST_F(ImapPush, UseIdleOffOrNoIdleOfferedPollsAsBefore) {
  for (bool offered : {true, false}) {
    const std::string caps = offered ? "IMAP4rev1 IDLE" : "IMAP4rev1";
    ScriptedPop3Server server({{Reply("* OK [CAPABILITY " + caps + "] ready"), Hear(), Reply("a1 OK in"), Hear(),
                                Reply(StatusReply(1, 5)), Reply("a2 OK"), Hear(), Reply("* BYE"), Reply("a3 OK")}});
    PointImap(server);
    account.ResolvedPort = 0;  // a new server each round
    account.UseIdle = offered ? 0 : 1;
    ASSERT_EQ(account.Check(), 0) << LogText();
    EXPECT_FALSE(account.Idling());
    EXPECT_EQ(account.PushTimerMs(), -1);
    EXPECT_EQ(server.Transcript().back(), "a3 LOGOUT") << caps;
  }
}

// The watchdog (the idling account's check): DONE, NOOP, the counts and
// IDLE again, all on the kept connection. When DONE finds no answer within
// the reply time-out, the connection is dropped and opened again in the
// same check.
TEST_F(ImapPush, WatchdogRoundTripsOnTheConnectionAndReopensOneThatIsSilent) {
  ScriptedPop3Server server(
      {With(IdleAfterCheck(1, 5), {Hear(), Reply("a4 OK"), Hear(), Reply("a5 OK"), Hear(), Reply(StatusReply(1, 5)),
                                   Reply("a6 OK"), Hear(), Reply("+ idling"), Hear(), Pause(1200)}),
       IdleAfterCheck(0, 5)});
  PointImap(server);
  account.TOofSendRecv_Sec = 1;
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_TRUE(account.Idling());
  EXPECT_EQ(server.connectionsSeen(), 1);
  ASSERT_EQ(account.Check(), 0) << LogText();  // DONE unanswered
  EXPECT_TRUE(account.Idling());
  EXPECT_EQ(account.MessageCount, 0u);
  EXPECT_NE(LogText().find("home : IDLE接続が応答しません. 切断して接続し直します."), std::string::npos) << LogText();
  const Lines heard = server.Transcript();
  EXPECT_EQ(Lines(heard.begin() + 4, heard.begin() + 9),
            (Lines{"DONE", "a5 NOOP", "a6 STATUS \"INBOX\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)", "a7 IDLE", "DONE"}));
  EXPECT_EQ(server.connectionsSeen(), 2);
}

// A connection that drops while idling: the account keeps its count, the
// status says it waits, and reconnects back off 1, 2, 4 s (at most the
// cycle) while opening fails; a good reconnect idles again.
TEST_F(ImapPush, DroppedConnectionKeepsTheCountAndBacksOffUntilItIsOpenAgain) {
  ScriptedPop3Server server({With(IdleAfterCheck(4, 5), {Pause(100), Hangup()}), {Hangup()}, {Hangup()},
                             IdleAfterCheck(4, 5)});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_EQ(Wait(3000), Pop3Checker::PushDropped) << LogText();
  EXPECT_TRUE(account.WaitsToReconnect());
  EXPECT_EQ(account.PushTimerMs(), 1000);
  EXPECT_NE(StatusLine().find("未読数=4(4) [2分周期] [再接続待ち]"), std::string::npos) << StatusLine();
  EXPECT_NE(LogText().find("home : IDLE接続が切れました(受信ｴﾗｰ). IDLEでの待機終了."), std::string::npos) << LogText();
  for (long long expected : {2000, 4000}) {
    EXPECT_NE(account.Check(), 0);
    EXPECT_EQ(account.CheckState, Pop3Checker::Ready) << LogText();
    EXPECT_EQ(account.MessageCount, 4u);
    EXPECT_EQ(account.PushTimerMs(), expected);
  }
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_TRUE(account.Idling());
  EXPECT_FALSE(account.WaitsToReconnect());
  EXPECT_EQ(server.connectionsSeen(), 4);
}

TEST(ReconnectBackOff, DoublesFromOneSecondUpToTheCycle) {
  EXPECT_EQ(bw::ReconnectDelayMs(1, 15), 1000);
  EXPECT_EQ(bw::ReconnectDelayMs(2, 15), 2000);
  EXPECT_EQ(bw::ReconnectDelayMs(10, 15), 512000);
  EXPECT_EQ(bw::ReconnectDelayMs(11, 15), 900000);
  EXPECT_EQ(bw::ReconnectDelayMs(1000, 15), 900000);
  EXPECT_EQ(bw::ReconnectDelayMs(1, 0), 1000);
}

}  // namespace

namespace {

// Where the server offers NOTIFY, one connection hears every folder: the
// NOTIFY is asked once, a STATUS of another folder ends the IDLE, and the
// folder's full STATUS answer counts, not news that follows it.
TEST_F(ImapPush, NotifyHearsTheOtherFoldersOnTheOneConnection) {
  const std::string events = "(MessageNew MessageExpunge FlagChange)";
  ScriptedPop3Server server(
      {{Reply("* OK [CAPABILITY IMAP4rev1 IDLE NOTIFY] ready"), Hear(), Reply("a1 OK in"), Hear(),
        Reply(StatusReply(1, 5)), Reply("a2 OK"), Hear(),
        Reply("* STATUS Work (MESSAGES 3 UNSEEN 1 UIDNEXT 8 UIDVALIDITY 7)"), Reply("a3 OK"), Hear(),
        Reply("a4 OK"), Hear(), Reply("a5 OK"), Hear(), Reply("+ idling"), Pause(100),
        Reply("* STATUS Work (MESSAGES 4 UIDNEXT 9)"), Hear(), Reply("a6 OK"), Hear(), Reply(StatusReply(1, 5)),
        Reply("a7 OK"), Hear(), Reply("* STATUS Work (MESSAGES 4 UNSEEN 2 UIDNEXT 9 UIDVALIDITY 7)"),
        Reply("* STATUS Work (MESSAGES 4 UIDNEXT 9)"), Reply("a8 OK"), Hear(),
        Reply("a9 OK"), Hear(), Reply("* SEARCH 8"), Reply("a10 OK"), Hear(), Reply("a11 OK"), Hear(),
        Reply("+ idling"), Hear(), Reply("a12 OK"), Hear(), Reply("* BYE"), Reply("a13 OK")}});
  PointImap(server);
  account.ImapFolders = "INBOX,Work";
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_TRUE(account.Idling());
  ASSERT_EQ(Wait(3000), Pop3Checker::PushChanged) << LogText();
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 1);
  account.EndPush(true);
  const Lines heard = server.Transcript();
  ASSERT_EQ(heard.size(), 15u) << LogText();
  EXPECT_EQ(heard[3], "a4 NOTIFY SET (selected " + events + ") (mailboxes (\"Work\") " + events + ")");
  EXPECT_EQ((Lines{heard[4], heard[5], heard[6]}), (Lines{"a5 EXAMINE \"INBOX\"", "a6 IDLE", "DONE"}));
  EXPECT_EQ((Lines{heard[9], heard[10], heard[11], heard[12]}),
            (Lines{"a9 EXAMINE \"Work\"", "a10 UID SEARCH UNSEEN UID 8:*", "a11 EXAMINE \"INBOX\"", "a12 IDLE"}));
}

}  // namespace

namespace {

using bw_test::Detach;

// Without NOTIFY the second folder idles on a connection of its own: its
// news ends both IDLEs, the counts are taken on the first connection, and
// both idle again; the end of push logs both out.
TEST_F(ImapPush, WithoutNotifyAFurtherFolderIdlesOnItsOwnConnection) {
  const std::string workStatus = "* STATUS Work (MESSAGES 3 UNSEEN 1 UIDNEXT 8 UIDVALIDITY 7)";
  ScriptedPop3Server server(
      {{Reply("* OK [CAPABILITY IMAP4rev1 IDLE] ready"), Hear(), Reply("a1 OK in"), Hear(), Reply(StatusReply(1, 5)),
        Reply("a2 OK"), Hear(), Reply(workStatus), Reply("a3 OK"), Hear(), Reply("a4 OK"), Hear(), Reply("+ idling"),
        Detach(), Hear(), Reply("a5 OK"), Hear(), Reply(StatusReply(1, 5)), Reply("a6 OK"), Hear(),
        Reply("* STATUS Work (MESSAGES 4 UNSEEN 2 UIDNEXT 9 UIDVALIDITY 7)"), Reply("a7 OK"), Hear(), Reply("a8 OK"),
        Hear(), Reply("* SEARCH 8"), Reply("a9 OK"), Hear(), Reply("a10 OK"), Hear(), Reply("+ idling"), Hear(),
        Reply("a11 OK"), Hear(), Reply("* BYE"), Reply("a12 OK")},
       {Reply("* OK [CAPABILITY IMAP4rev1 IDLE] ready"), Hear(), Reply("a1 OK in"), Hear(), Reply("a2 OK"), Hear(),
        Reply("+ idling"), Pause(300), Reply("* 4 EXISTS"), Hear(), Reply("a3 OK"), Hear(), Reply("+ idling"), Hear(),
        Reply("a4 OK"), Hear(), Reply("* BYE"), Reply("a5 OK")}});
  PointImap(server);
  account.ImapFolders = "INBOX,Work";
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_EQ(account.IdleSockets().size(), 2u) << LogText();
  EXPECT_NE(LogText().find("home : IDLEで待機開始[Work]."), std::string::npos) << LogText();
  ASSERT_EQ(Wait(3000), Pop3Checker::PushChanged) << LogText();
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 1);
  EXPECT_EQ(account.IdleSockets().size(), 2u) << LogText();
  account.EndPush(true);
  const Lines heard = server.Transcript();
  for (const char* line : {"a2 EXAMINE \"Work\"", "a3 IDLE", "a4 IDLE", "a5 LOGOUT", "a11 IDLE", "a12 LOGOUT"})
    EXPECT_EQ(std::count(heard.begin(), heard.end(), line), 1) << line << "\n" << LogText();
  EXPECT_EQ(std::count(heard.begin(), heard.end(), "DONE"), 4);
  EXPECT_EQ(server.connectionsSeen(), 2);
}

}  // namespace

namespace {

// News whose count cannot be taken (the folder went away) drops the
// connection like a lost one: the last count and the Ready state stand.
TEST_F(ImapPush, FailedCountAfterNewsKeepsTheLastCountAndWaitsToReconnect) {
  ScriptedPop3Server server({With(IdleAfterCheck(2, 10), {Pause(100), Reply("* 11 EXISTS"), Hear(), Reply("a4 OK"),
                                                          Hear(), Reply("a5 NO [NONEXISTENT] gone")})});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_EQ(Wait(3000), Pop3Checker::PushDropped) << LogText();
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_TRUE(account.WaitsToReconnect());
}

}  // namespace
