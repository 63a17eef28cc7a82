// Fetching the headers of new messages of an IMAP account against the
// scripted server: which UIDs, read-only commands, the literal bound, and
// failures that must leave the count and state alone.
#include <chrono>
#include <string>
#include <vector>

#include "checker/core/header_text.h"
#include "checker/core/imap_reply.h"
#include "checker/core/pop3_checker.h"
#include "tests/unit/pop3_server_test.h"

namespace {

using bw::Pop3Checker;
using bw_test::Generate;
using bw_test::Hear;
using bw_test::Pause;
using bw_test::Pop3Script;
using bw_test::Reply;
using bw_test::Say;
using bw_test::ScriptedPop3Server;
using bw_test::With;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const char* const kFetch = " (BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE)])";

// Greeting, LOGIN as a1, STATUS of INBOX as a2 with `unseen` unseen.
Pop3Script Counted(const std::string& caps, int unseen) {
  const std::string n = std::to_string(unseen);
  return {Reply("* OK [CAPABILITY " + caps + "] ready"), Hear(), Reply("a1 OK in"), Hear(),
          Reply("* STATUS INBOX (MESSAGES " + n + " UNSEEN " + n + " UIDNEXT 2000 UIDVALIDITY 7)"), Reply("a2 OK")};
}
// One FETCH response carrying a header block as a literal.
std::string FetchAnswer(int number, int uid, const std::string& block) {
  return "* " + std::to_string(number) + " FETCH (UID " + std::to_string(uid) +
         " BODY[HEADER.FIELDS (FROM SUBJECT DATE)] {" + std::to_string(block.size()) + "}\r\n" + block + ")\r\n";
}
std::string Block(const std::string& from, const std::string& subject) {
  return "From: " + from + "\r\nSubject: " + subject + "\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\n";
}

class ImapHeaders : public bw_test::Pop3ServerTest {
 protected:
  void PointImap(const ScriptedPop3Server& server) {
    Point(server);
    account.Protocol = 1;
    account.FetchHeaders = 1;
  }
  std::string Subject(std::size_t i) const { return bw::Utf16ToUtf8(account.FetchedHeaders.at(i).subject); }
  std::string From(std::size_t i) const { return bw::Utf16ToUtf8(account.FetchedHeaders.at(i).from); }
};

// A plain SEARCH: the unseen UIDs, highest first, go to one UID FETCH with
// BODY.PEEK in a folder opened read-only; answers in any order and with
// other items land on their message; the log holds the count only.
TEST_F(ImapHeaders, NewestUnseenAreFetchedReadOnlyAndNeverLogged) {
  ScriptedPop3Server server({With(
      Counted("IMAP4rev1", 2),
      {Hear(), Reply("* 2 EXISTS"), Reply("a3 OK [READ-ONLY] done"), Hear(), Reply("* SEARCH 7 9"), Reply("a4 OK"),
       Hear(), Reply("* 1 FETCH (FLAGS ())"),
       Say(FetchAnswer(1, 7, Block("\"Taro Secret\" <taro@example.jp>", "Lunch"))),
       Say("* 2 FETCH (BODY[HEADER.FIELDS (\"FROM\" \"SUBJECT\" \"DATE\")] {" +
           std::to_string(Block("Hanako <h@example.jp>", "=?ISO-2022-JP?B?GyRCLSEbKEI=?= plan").size()) + "}\r\n" +
           Block("Hanako <h@example.jp>", "=?ISO-2022-JP?B?GyRCLSEbKEI=?= plan") + " UID 9 FLAGS (\\Recent))\r\n"),
       Reply("* 3 FETCH (UID 8 BODY[HEADER.FIELDS (FROM SUBJECT DATE)] \"Subject: Quoted secret\")"),
       Reply("a5 OK"), Hear(), Reply("a6 OK")})});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(server.Transcript(), (Lines{"a1 LOGIN \"taro\" \"secret\"",
                                        "a2 STATUS \"INBOX\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)",
                                        "a3 EXAMINE \"INBOX\"", "a4 UID SEARCH UNSEEN UID 1:*",
                                        std::string("a5 UID FETCH 9,7") + kFetch, "a6 LOGOUT"}));
  EXPECT_EQ(account.NewCount, 2);
  ASSERT_EQ(account.FetchedHeaders.size(), 2u);
  EXPECT_EQ(From(0), "Hanako");
  EXPECT_EQ(Subject(0), u8"\u2460 plan");
  EXPECT_EQ(From(1), "Taro Secret");
  EXPECT_EQ(Subject(1), "Lunch");
  EXPECT_TRUE(Logged("home : 新着ﾍｯﾀﾞ 2件\n")) << LogText();
  for (const char* secret : {"Hanako", "h@example", "Taro", "Lunch", "GyRC", "plan", "Quoted"})
    EXPECT_EQ(LogText().find(secret), std::string::npos) << secret << " in\n" << LogText();
}

// ESEARCH gives a thousand new UIDs as one range: only the newest twenty
// are fetched. A header literal of 10 MB keeps its first 64 KiB, the rest
// is read past, and the next message's answer is read after it.
TEST_F(ImapHeaders, AThousandNewFetchTwentyAndAHugeHeaderIsReadPast) {
  const std::string filler = "X-Filler: " + std::string(90, 'f') + "\r\n";  // 102 bytes
  const std::string head = "Subject: huge\r\nFrom: big@example.jp\r\n";
  const std::size_t hugeSize = head.size() + filler.size() * 100000;
  Pop3Script script = With(Counted("IMAP4rev1 ESEARCH", 1000),
                           {Hear(), Reply("a3 OK"), Hear(), Reply("* ESEARCH (TAG \"a4\") UID ALL 1:1000"),
                            Reply("a4 OK"), Hear(),
                            Say("* 1000 FETCH (UID 1000 BODY[HEADER.FIELDS (FROM SUBJECT DATE)] {" +
                                std::to_string(hugeSize) + "}\r\n" + head),
                            Generate([&](int) { return filler; }, 100000), Say(")\r\n")});
  for (int uid = 999; uid >= 981; --uid) script.push_back(Say(FetchAnswer(uid, uid, Block("a@example.jp", "n" + std::to_string(uid)))));
  script.push_back(Reply("a5 OK"));
  script.push_back(Hear());
  script.push_back(Reply("a6 OK"));
  ScriptedPop3Server server({script});
  PointImap(server);
  bw::SetCheckCeilingMs(20000);
  const auto start = Clock::now();
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(account.MessageCount, 1000u);
  EXPECT_EQ(account.NewCount, 1000);
  const Lines heard = server.Transcript();
  ASSERT_EQ(heard.size(), 6u);
  EXPECT_EQ(heard[3], "a4 UID SEARCH RETURN (ALL) UNSEEN UID 1:*");
  std::string uids;
  for (int uid = 1000; uid >= 981; --uid) uids += (uids.empty() ? "" : ",") + std::to_string(uid);
  EXPECT_EQ(heard[4], "a5 UID FETCH " + uids + kFetch);
  ASSERT_EQ(account.FetchedHeaders.size(), 20u);
  EXPECT_EQ(Subject(0), "huge");
  EXPECT_EQ(From(0), "big@example.jp");
  EXPECT_EQ(Subject(19), "n981");
  // Ranges either way round, overlapping, and the lower bound.
  std::vector<std::uint32_t> newest;
  ASSERT_TRUE(bw::NewestOfSequenceSet("5:3,9,8:7,6:8", 4, 10, &newest));
  EXPECT_EQ(newest, (std::vector<std::uint32_t>{9, 8, 7, 6, 5, 4}));
}

// The fetch failing in each way leaves the check successful with its
// count: the FETCH refused (NO), a literal beyond the read-past bound (the
// connection ends at once), an answer that stalls (the reply time-out).
TEST_F(ImapHeaders, FailedFetchKeepsTheCountAndState) {
  auto failing = [](std::initializer_list<bw_test::Pop3Action> fetch) {
    return With(With(Counted("IMAP4rev1", 3), {Hear(), Reply("a3 OK"), Hear(), Reply("* SEARCH 5 6 7"), Reply("a4 OK"), Hear()}),
                fetch);
  };
  ScriptedPop3Server server(
      {failing({Reply("a5 NO [SERVERBUG] sorry"), Hear(), Reply("a6 OK")}),
       failing({Say("* 1 FETCH (UID 7 BODY[HEADER.FIELDS (FROM SUBJECT DATE)] {2000000000}\r\n")}),
       failing({Say("* 1 FETCH (UID 7 BODY[HEADER.FIELDS (FROM SUBJECT DATE)] {100}\r\nSubject: x"), Pause(3000)})});
  PointImap(server);
  account.TOofSendRecv_Sec = 1;
  for (int run = 0; run < 3; ++run) {
    account.ImapMemory.clear();
    const auto start = Clock::now();
    EXPECT_EQ(account.Check(), 0) << run << LogText();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500)) << run;
    EXPECT_EQ(account.MessageCount, 3u) << run;
    EXPECT_EQ(account.NewCount, 3) << run;
    EXPECT_EQ(account.CheckState, Pop3Checker::Ready) << run;
    EXPECT_TRUE(account.FetchedHeaders.empty()) << run;
  }
  EXPECT_TRUE(Logged("home : 新着ﾍｯﾀﾞ 0件\n")) << LogText();
}

}  // namespace
