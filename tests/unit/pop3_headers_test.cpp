// Fetching the headers of new messages with TOP against the scripted
// server: which messages, what the log may show, and servers that refuse
// TOP or never end its answer. None of it may change the count or state.
#include <chrono>
#include <string>

#include "checker/core/header_fetch.h"
#include "checker/core/header_text.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "tests/unit/pop3_server_test.h"

namespace {

using bw::Pop3Checker;
using bw_test::Generate;
using bw_test::Hear;
using bw_test::LoggedIn;
using bw_test::Pause;
using bw_test::Pop3Script;
using bw_test::Reply;
using bw_test::Say;
using bw_test::ScriptedPop3Server;
using bw_test::With;
using Clock = std::chrono::steady_clock;

// A header block as a Japanese mail program sends it, answering TOP.
std::string TopAnswer(const std::string& from, const std::string& subject) {
  return "+OK\r\nReturn-Path: <x@example.jp>\r\nFrom: " + from + "\r\nSubject: " + subject +
         "\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\n.\r\n";
}

Pop3Script Join(Pop3Script first, const Pop3Script& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

// The answer to CAPA, with or without PIPELINING.
Pop3Script Capa(bool pipelining) {
  Pop3Script script{Hear(), Reply("+OK"), Reply("TOP"), Reply("UIDL")};
  if (pipelining) script.push_back(Reply("PIPELINING"));
  script.push_back(Reply("."));
  return script;
}

class HeaderFetch : public bw_test::Pop3ServerTest {
 protected:
  void Point(const ScriptedPop3Server& server) {
    Pop3ServerTest::Point(server);
    account.FetchHeaders = 1;
  }
  std::string From(std::size_t i) const { return bw::Utf16ToUtf8(account.FetchedHeaders.at(i).from); }
  std::string Subject(std::size_t i) const { return bw::Utf16ToUtf8(account.FetchedHeaders.at(i).subject); }
};

// UIDL: two of three are new; TOP goes to the newest first, the headers
// are decoded, and the log holds the count but no sender or subject.
TEST_F(HeaderFetch, NewMessagesByUidlAreFetchedNewestFirstAndNeverLogged) {
  ScriptedPop3Server server({Join(
      With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 old"), Reply("2 new-a"), Reply("3 new-b"), Reply("."),
                        Hear(), Say(TopAnswer("Hanako <hanako@example.jp>", "=?ISO-2022-JP?B?GyRCLSEbKEI=?= plan"))}),
      With(Capa(false), {Hear(), Say(TopAnswer("\"Taro Secret\" <taro@example.jp>", "Lunch ..dotted")), Hear(),
                         Reply("+OK")}))});
  Point(server);
  account.UseUIDL = 1;
  ASSERT_EQ(account.UidlMemory.Append("old", "1"), bw::UidlList::Added);
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 2);
  const auto heard = server.Transcript();
  ASSERT_EQ(heard.size(), 7u);
  EXPECT_EQ(heard[3], "TOP 3 0");
  EXPECT_EQ(heard[4], "CAPA");  // no PIPELINING: one TOP after the other
  EXPECT_EQ(heard[5], "TOP 2 0");
  EXPECT_EQ(heard[6], "QUIT");
  ASSERT_EQ(account.FetchedHeaders.size(), 2u);
  EXPECT_EQ(From(0), "Hanako");
  EXPECT_EQ(Subject(0), u8"\u2460 plan");
  EXPECT_EQ(From(1), "Taro Secret");
  EXPECT_EQ(Subject(1), "Lunch ..dotted");
  EXPECT_TRUE(Logged("home : 新着ﾍｯﾀﾞ 2件\n")) << LogText();
  for (const char* secret : {"Hanako", "hanako@", "Taro", "Lunch", "GyRC", "plan", "Return-Path"})
    EXPECT_EQ(LogText().find(secret), std::string::npos) << secret << " in\n" << LogText();
}

// STAT: a thousand new messages, twenty fetched (the newest), the count
// whole. The server offers PIPELINING: after the first, the other nineteen
// TOP commands go at once (the script hears all of them before it answers,
// so a client waiting for each answer would stall), and CAPA is asked once
// while the program runs.
TEST_F(HeaderFetch, AThousandNewMessagesFetchOnlyTheNewestTwenty) {
  Pop3Script script = Join(With(LoggedIn(), {Hear(), Reply("+OK 1000 123456"), Hear(),
                                             Say(TopAnswer("a@example.jp", "n1000"))}),
                           Capa(true));
  for (int i = 1; i < 20; ++i) script.push_back(Hear());
  for (int i = 1; i < 20; ++i) script.push_back(Say(TopAnswer("a@example.jp", "n" + std::to_string(1000 - i))));
  script.push_back(Hear());
  script.push_back(Reply("+OK"));
  // The next check, two more: both TOP commands at once, CAPA not again.
  const Pop3Script next = With(LoggedIn(), {Hear(), Reply("+OK 1002 100"), Hear(), Hear(),
                                            Say(TopAnswer("a@example.jp", "n1002")),
                                            Say(TopAnswer("a@example.jp", "n1001")), Hear(), Reply("+OK")});
  ScriptedPop3Server server({script, next});
  Point(server);
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 1000u);
  EXPECT_EQ(account.NewCount, 1000);
  ASSERT_EQ(account.FetchedHeaders.size(), 20u);
  EXPECT_EQ(Subject(19), "n981");
  ASSERT_EQ(account.Check(), 0) << LogText();
  ASSERT_EQ(account.FetchedHeaders.size(), 2u);
  EXPECT_EQ(Subject(1), "n1001");
  const auto heard = server.Transcript();
  ASSERT_EQ(heard.size(), 25u + 6u);  // then USER, PASS, STAT, two TOP, QUIT
  EXPECT_EQ(heard[3], "TOP 1000 0");
  EXPECT_EQ(heard[4], "CAPA");
  EXPECT_EQ(heard[5], "TOP 999 0");
  EXPECT_EQ(heard[23], "TOP 981 0");
  EXPECT_EQ(heard[24], "QUIT");
  EXPECT_EQ(heard[28], "TOP 1002 0");
  // Above the previous count only.
  EXPECT_EQ(bw::NewMessagesByStat(7, 2), (std::vector<std::string>{"7", "6"}));
  EXPECT_TRUE(bw::NewMessagesByStat(7, 0).empty());
}

// A server without TOP: the count stands, one line in the log for the
// account however many checks meet it, and nothing of it for an account
// that turned fetching off.
TEST_F(HeaderFetch, RefusedTopGivesTheCountAndIsLoggedOnce) {
  auto refusing = With(LoggedIn(), {Hear(), Reply("+OK 2 100"), Hear(), Reply("-ERR unknown command"), Hear(),
                                    Reply("+OK")});
  ScriptedPop3Server server({refusing, refusing, With(LoggedIn(), {Hear(), Reply("+OK 3 100"), Hear(), Reply("+OK")})});
  Point(server);
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_EQ(account.NewCount, 2);
  account.MessageCount = 0;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  const std::string line = "home : ｻｰﾊﾞがTOPｺﾏﾝﾄﾞを受け付けないため, 新着ﾍｯﾀﾞは取得しません.\n";
  const std::string log = LogText();
  const size_t first = log.find(bw_test::Crlf(line));
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find(bw_test::Crlf(line), first + 1), std::string::npos) << log;
  account.FetchHeaders = 0;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 3u);
  const auto heard = server.Transcript();
  EXPECT_EQ(heard.back(), "QUIT");
  EXPECT_NE(heard[heard.size() - 2].compare(0, 3, "TOP"), 0);
}

// A header block of 10 MB is read past, keeping its first 64 KiB, and the
// next message is fetched after it.
TEST_F(HeaderFetch, TenMegabyteHeaderIsReadPastWithinTheCeiling) {
  const std::string filler = "X-Filler: " + std::string(90, 'f') + "\r\n";  // 102 bytes a line
  ScriptedPop3Server server({With(
      LoggedIn(), {Hear(), Reply("+OK 2 100"), Hear(), Say("+OK\r\nSubject: huge\r\nFrom: big@example.jp\r\n"),
                   Generate([&](int) { return filler; }, 100000), Say("\r\n.\r\n"), Hear(), Reply("-ERR no CAPA"),
                   Hear(), Say(TopAnswer("small@example.jp", "after")), Hear(), Reply("+OK")})});
  Point(server);
  bw::SetCheckCeilingMs(20000);
  const auto start = Clock::now();
  ASSERT_EQ(account.Check(), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(account.MessageCount, 2u);
  ASSERT_EQ(account.FetchedHeaders.size(), 2u);
  EXPECT_EQ(Subject(0), "huge");
  EXPECT_EQ(From(0), "big@example.jp");
  EXPECT_EQ(Subject(1), "after");
  EXPECT_EQ(server.Transcript().back(), "QUIT");
}

// A TOP answer that never ends: the fetch gives up at its read limit (or
// the ceiling), the connection closes without QUIT, and the check still
// succeeds with its count.
TEST_F(HeaderFetch, EndlessTopAnswerEndsTheFetchNotTheCount) {
  ScriptedPop3Server server({With(LoggedIn(), {Hear(), Reply("+OK 4 100"), Hear(), Say("+OK\r\n"),
                                               Generate([](int) { return std::string(1000, 'h') + "\r\n"; },
                                                        2000000000)})});
  Point(server);
  account.MessageCount = 3;
  bw::SetCheckCeilingMs(20000);
  const auto start = Clock::now();
  ASSERT_EQ(account.Check(), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));  // well before the ceiling
  EXPECT_EQ(account.MessageCount, 4u);
  EXPECT_EQ(account.NewCount, 1);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_TRUE(account.FetchedHeaders.empty());
  EXPECT_FALSE(account.Connected());
  EXPECT_TRUE(Logged("home : 新着ﾍｯﾀﾞ 0件\n")) << LogText();
  const auto heard = server.Transcript();
  EXPECT_EQ(heard.back(), "TOP 4 0");  // no QUIT into the middle of the answer
}

// A TOP answer that stops coming: the line time-out ends it, the count and
// state stay those of the successful query.
TEST_F(HeaderFetch, StalledTopAnswerTimesOutAndKeepsTheCount) {
  ScriptedPop3Server server({With(LoggedIn(), {Hear(), Reply("+OK 1 100"), Hear(), Say("+OK\r\nSubject: x\r\n"),
                                               Pause(3000)})});
  Point(server);
  account.TOofSendRecv_Sec = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 1u);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_TRUE(Logged("POP3 -> --- Timeout.\n")) << LogText();
}

}  // namespace
