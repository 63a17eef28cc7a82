// Whole checks of IMAP accounts against the scripted loopback server: each
// login kind with its transcript, the outcome of each refusal, the counts
// over folders and checks, and servers that misbehave.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "checker/core/imap_counts.h"
#include "checker/core/imap_session.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/resolve.h"
#include "common/core/base64.h"
#include "common/core/log.h"
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
using bw_test::Trickle;
using bw_test::With;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

// Greeting with capabilities, LOGIN accepted as a1.
Pop3Script LoggedIn(const std::string& caps = "IMAP4rev1") {
  return {Reply("* OK [CAPABILITY " + caps + "] ready"), Hear(), Reply("a1 OK [CAPABILITY " + caps + "] in")};
}
std::string StatusReply(const std::string& name, int messages, int unseen, int uidNext, int uidValidity = 7) {
  return "* STATUS " + name + " (MESSAGES " + std::to_string(messages) + " UNSEEN " + std::to_string(unseen) +
         " UIDNEXT " + std::to_string(uidNext) + " UIDVALIDITY " + std::to_string(uidValidity) + ")";
}

class ImapCheck : public bw_test::Pop3ServerTest {
 protected:
  void PointImap(const ScriptedPop3Server& server, const std::string& folders = "") {
    Point(server);
    account.Protocol = 1;
    account.ImapFolders = folders;
  }
  std::string StatusLine() {
    std::string text;
    account.StatusText(text);
    return text.substr(text.find(' ') + 1);
  }
};

// Without capabilities in the greeting the client asks; LOGIN takes quoted
// strings where the bytes allow and literals (waiting for "+") where they
// do not; the password and its literal's size never reach the log.
TEST_F(ImapCheck, LoginCommandQuotesOrSendsLiteralsAndMasksThePassword) {
  ScriptedPop3Server server(
      {{Reply("* OK ready"), Hear(), Reply("* CAPABILITY IMAP4rev1"), Reply("a1 OK"), Hear(), Reply("+ go"), Hear(),
        Reply("a2 OK in"), Hear(), Reply(StatusReply("INBOX", 5, 2, 10)), Reply("a3 OK"), Hear(), Reply("* BYE"),
        Reply("a4 OK")}});
  PointImap(server);
  account.UserID = "ta\"ro";
  account.Password = "p\x82\xA0ss";
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(server.Transcript(),
            (Lines{"a1 CAPABILITY", "a2 LOGIN \"ta\\\"ro\" {5}", "p\x82\xA0ss",
                   "a3 STATUS \"INBOX\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)", "a4 LOGOUT"}));
  EXPECT_TRUE(Logged("IMAP <- a2 LOGIN \"ta\\\"ro\" {********}(28+2 Bytes)\nIMAP -> + go(6 Bytes)\n"
                     "IMAP <- ********(8+2 Bytes)\n"))
      << LogText();
  EXPECT_EQ(LogText().find("\x82\xA0"), std::string::npos);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_EQ(account.NewCount, 2);  // the first check: every unseen message is new
  EXPECT_NE(StatusLine().find("未読数=2(2)"), std::string::npos) << StatusLine();
}

// AUTHENTICATE PLAIN where offered, with the initial response under SASL-IR
// (masked), LITERAL+ literals without a wait, and LOGINDISABLED: nothing
// is sent and the account stops with a line saying why.
TEST_F(ImapCheck, PlainWithInitialResponseAndLoginDisabledSendsNothing) {
  ScriptedPop3Server server(
      {With(LoggedIn("IMAP4rev1 SASL-IR AUTH=PLAIN"), {Hear(), Reply(StatusReply("INBOX", 1, 0, 2)), Reply("a2 OK"), Hear(),
                                                       Reply("a3 OK")}),
       {Reply("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN] ready")}});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_TRUE(Logged("IMAP <- a1 AUTHENTICATE PLAIN ********(30+2 Bytes)\n")) << LogText();
  EXPECT_EQ(account.Check(), Pop3Checker::CheckLoginFailed);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_TRUE(Logged("LOGINDISABLED")) << LogText();
  const Lines heard = server.Transcript();
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0], "a1 AUTHENTICATE PLAIN AHRhcm8Ac2VjcmV0");
}

// XOAUTH2 without SASL-IR waits for the "+" before the token goes out; a
// refusal that comes as a "+" challenge is answered with an empty line, its
// status logged, and reported as a refused token (which is then dropped).
// The token never reaches the log.
TEST_F(ImapCheck, Xoauth2WaitsForTheContinuationAndAnswersARefusalWithAnEmptyLine) {
  ScriptedPop3Server server(
      {{Reply("* OK [CAPABILITY IMAP4rev1 AUTH=XOAUTH2] ready"), Hear(), Reply("+ "), Hear(), Reply("a1 OK in")},
       {Reply("* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready"), Hear(),
        Reply("+ eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJtYWlsIn0="), Hear(),
        Reply("a1 NO [AUTHENTICATIONFAILED] no")}});
  Point(server);
  account.Protocol = 1;
  account.OAuthProvider = 3;
  auto login = [&] {
    bw::ImapSession session(account, [] { return 2000; });
    const bw::net::SocketHandle s = bw::net::OpenTcp();
    const std::uint8_t loopback[4] = {127, 0, 0, 1};
    EXPECT_EQ(bw::net::ConnectIPv4(s, loopback, bw::PortToNetwork(server.port())), 0);
    EXPECT_TRUE(session.Start(s).ok());
    EXPECT_TRUE(session.Greeting().ok());
    EXPECT_TRUE(session.Capabilities().ok());
    const int code = session.Login("tok-SECRET").code;
    session.Close(false);
    return code;
  };
  EXPECT_EQ(login(), 0) << LogText();
  EXPECT_EQ(login(), bw::Xoauth2Refused) << LogText();
  const std::string response = bw::Base64Encode(bw::Xoauth2Line("taro", "tok-SECRET"));
  EXPECT_EQ(server.Transcript(),
            (Lines{"a1 AUTHENTICATE XOAUTH2", response, "a1 AUTHENTICATE XOAUTH2 " + response, ""}));
  EXPECT_TRUE(Logged("home : ｻｰﾊﾞがXOAUTH2の認証を拒否しました(status=401).\n")) << LogText();
  EXPECT_EQ(LogText().find(response), std::string::npos);
}

// Each tagged refusal of the login leaves its own state: [UNAVAILABLE] and
// [INUSE] wait for the next cycle, [AUTHENTICATIONFAILED] and a plain NO
// stop the account, BAD is a server error with its text in the log; a
// greeting of BYE is a refusal by the server.
TEST_F(ImapCheck, EachLoginRefusalLeavesItsOwnState) {
  auto refusal = [](const std::string& reply) {
    return Pop3Script{Reply("* OK [CAPABILITY IMAP4rev1] ready"), Hear(), Reply(reply)};
  };
  ScriptedPop3Server server({refusal("a1 NO [UNAVAILABLE] try later"), refusal("a1 NO [INUSE] busy"),
                             refusal("a1 NO [AUTHENTICATIONFAILED] wrong"), refusal("a1 NO wrong"),
                             refusal("a1 BAD what is that"), {Reply("* BYE too many")}});
  PointImap(server);
  struct Row {
    int state, cause;
  };
  const Row rows[] = {{Pop3Checker::RetryWait, Pop3Checker::CauseAccount},
                      {Pop3Checker::RetryWait, Pop3Checker::CauseAccount},
                      {Pop3Checker::Suspended, Pop3Checker::CauseAccount},
                      {Pop3Checker::Suspended, Pop3Checker::CauseAccount},
                      {Pop3Checker::Suspended, Pop3Checker::CauseTransfer},
                      {Pop3Checker::ServerRefused, Pop3Checker::CauseConnection}};
  for (const Row& row : rows) {
    account.CheckState = Pop3Checker::Ready;
    EXPECT_LT(account.Check(), 0);
    EXPECT_EQ(account.CheckState, row.state) << LogText();
    EXPECT_EQ(account.ErrorCause, row.cause) << LogText();
  }
  EXPECT_TRUE(Logged("home : ｻｰﾊﾞがｺﾏﾝﾄﾞを受け付けません(BAD): what is that\n")) << LogText();
}

// The counts over checks: the first counts every unseen message as new; an
// unchanged UIDNEXT needs no search; a moved one asks for the unseen from
// the old UIDNEXT on (a result below it, the "n:*" quirk, is not new); a
// changed UIDVALIDITY counts all unseen again. A missing folder is logged
// and skipped; folder names go in modified UTF-7, and a literal stands
// where a name is usually quoted.
TEST_F(ImapCheck, NewCountsFollowUidNextAcrossChecksAndFolders) {
  const std::string work = "&TtVOiw-";
  auto check = [&](std::initializer_list<bw_test::Pop3Action> folders) {
    return With(With(LoggedIn(), folders), {Hear(), Reply("a5 OK")});
  };
  ScriptedPop3Server server({
      check({Hear(), Reply(StatusReply("INBOX", 5, 2, 10)), Reply("a2 OK"), Hear(), Reply("a3 NO [NONEXISTENT] no"),
             Hear(), Say("* STATUS {8}\r\n" + work + " (MESSAGES 4 UNSEEN 3 UIDNEXT 20 UIDVALIDITY 9)\r\n"),
             Reply("a4 OK")}),
      check({Hear(), Reply(StatusReply("INBOX", 5, 2, 10)), Reply("a2 OK"), Hear(), Reply("a3 NO gone"), Hear(),
             Reply(StatusReply("\"" + work + "\"", 6, 4, 22, 9)), Reply("a4 OK"), Hear(), Reply("* 6 EXISTS"),
             Reply("a5 OK"), Hear(), Reply("* SEARCH 20 21"), Reply("a6 OK"), Hear(), Reply("a7 OK")}),
      // The new messages are gone again: "22:*" answers with the highest UID.
      With(LoggedIn(), {Hear(), Reply(StatusReply("INBOX", 5, 2, 10)), Reply("a2 OK"), Hear(), Reply("a3 NO no"),
                        Hear(), Reply(StatusReply(work, 4, 3, 25, 9)), Reply("a4 OK"), Hear(), Reply("a5 OK"), Hear(),
                        Reply("* SEARCH 19"), Reply("a6 OK"), Hear(), Reply("a7 OK")}),
  });
  PointImap(server, "INBOX,Missing,\x8E\x64\x8E\x96");
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(account.MessageCount, 5u);
  EXPECT_EQ(account.NewCount, 5);
  EXPECT_TRUE(Logged("home : ﾌｫﾙﾀﾞ[Missing]を読めません. 読み飛ばします.\n")) << LogText();
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(account.MessageCount, 6u);
  EXPECT_EQ(account.NewCount, 2);
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(account.NewCount, 0);
  const Lines heard = server.Transcript();
  EXPECT_EQ(heard[heard.size() - 3], "a5 EXAMINE \"" + work + "\"");
  EXPECT_EQ(heard[heard.size() - 2], "a6 UID SEARCH UNSEEN UID 22:*");
  EXPECT_EQ(heard[heard.size() - 9], "a6 UID SEARCH UNSEEN UID 20:*");

  // The rule on its own: a moved UIDVALIDITY, an empty folder, no change.
  const std::vector<bw::ImapFolderMemory> memory{{"INBOX", 7, 10}};
  bw::ImapFolderStatus status;
  status.uidValidity = 8;
  status.uidNext = 10;
  status.unseen = 1;
  EXPECT_EQ(bw::NewMessagesRule(memory, "INBOX", status).kind, bw::ImapNewRule::AllUnseen);
  status.uidValidity = 7;
  EXPECT_EQ(bw::NewMessagesRule(memory, "INBOX", status).kind, bw::ImapNewRule::NoneNew);
  status.uidNext = 12;
  const bw::ImapNewRule rule = bw::NewMessagesRule(memory, "INBOX", status);
  EXPECT_EQ(rule.kind, bw::ImapNewRule::SearchFrom);
  EXPECT_EQ(rule.fromUid, 10u);
}

// A folder's STATUS is known by its name however the server writes it: a
// quoted string with \" and \\, a literal of the {n+} form; a STATUS of
// another folder on the way is not taken for it.
TEST_F(ImapCheck, StatusNameQuotedWithEscapesOrNonSyncLiteralAndOthersIgnored) {
  ScriptedPop3Server server({With(
      LoggedIn(), {Hear(), Reply(StatusReply("\"a\\\"b\\\\c\"", 3, 1, 4)), Reply(StatusReply("Other", 9, 9, 10)),
                   Reply("a2 OK"), Hear(), Say("* STATUS {4+}\r\nWork (MESSAGES 2 UNSEEN 2 UIDNEXT 3 UIDVALIDITY 5)\r\n"),
                   Reply("a3 OK"), Hear(), Reply("a4 OK")})});
  PointImap(server, "a\"b\\\\c,Work");
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(server.Transcript()[1], "a2 STATUS \"a\\\"b\\\\c\" (MESSAGES UNSEEN UIDNEXT UIDVALIDITY)");
}

// Untagged lines between every step and around every reply change
// nothing; [ALERT] text is logged; a "* BYE" in the middle ends the check
// as a closed connection would.
TEST_F(ImapCheck, UntaggedLinesAnywhereAndByeMidCheck) {
  ScriptedPop3Server server(
      {{Reply("* OK ready"), Reply("* OK [ALERT] maintenance at noon"), Hear(), Reply("* 3 EXISTS"),
        Reply("* CAPABILITY IMAP4rev1"), Reply("* 1 RECENT"), Reply("a1 OK"), Hear(), Reply("* FLAGS (\\Seen)"),
        Reply("a2 OK"), Hear(), Reply("* OK still here"), Reply(StatusReply("inbox", 3, 1, 4)), Reply("* 4 EXISTS"),
        Reply("a3 OK"), Hear(), Reply("a4 OK")},
       {Reply("* OK [CAPABILITY IMAP4rev1] ready"), Hear(), Reply("a1 OK"), Hear(), Reply("* BYE shutting down")}});
  PointImap(server);
  ASSERT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(account.MessageCount, 1u);
  EXPECT_TRUE(Logged("home : ｻｰﾊﾞからの警告: maintenance at noon\n")) << LogText();
  const auto start = Clock::now();
  EXPECT_EQ(account.Check(), Pop3Checker::CheckQueryFailed);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));  // no wait for a reply after BYE
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
  EXPECT_TRUE(Logged("home : ｻｰﾊﾞが接続を終了しました(BYE).\n")) << LogText();
  EXPECT_EQ(account.MessageCount, 1u);  // a failed check keeps the counts
}

// A line without end, a literal of 2^31 bytes and a reply dripped a byte
// at a time each end the check with a line saying why, within the ceiling,
// without reading (or keeping) what follows the limit.
TEST_F(ImapCheck, EndlessLineHugeLiteralAndDripEndWithinTheCeiling) {
  const auto chunk = [](int) { return std::string(65536, 'x'); };
  ScriptedPop3Server server(
      {With(LoggedIn(), {Hear(), Say("* STATUS INBOX "), Generate(chunk, 1 << 15)}),
       With(LoggedIn(), {Hear(), Say("* STATUS {2147483648}\r\n"), Generate(chunk, 1 << 15)}),
       With(LoggedIn(), {Hear(), Trickle("* OK still thinking about it, one byte a second\r\n", 1000)})});
  PointImap(server);
  account.TOofSendRecv_Sec = 30;
  bw::SetCheckCeilingMs(3000);
  auto run = [&] {
    account.CheckState = Pop3Checker::Ready;
    const auto start = Clock::now();
    EXPECT_EQ(account.Check(), Pop3Checker::CheckQueryFailed);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3500));
    EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
    EXPECT_FALSE(account.Connected());
  };
  run();
  EXPECT_TRUE(Logged("IMAP応答の1行が65536ﾊﾞｲﾄを超えたため読むのをやめました.\n")) << LogText();
  run();
  EXPECT_TRUE(Logged("IMAP応答のﾘﾃﾗﾙ(2147483648ﾊﾞｲﾄ)が上限1048576ﾊﾞｲﾄを超えたため読むのをやめました.\n"))
      << LogText();
  run();
  EXPECT_TRUE(Logged("home : 確認全体の制限時間(3秒)を超えたため打ち切りました.\n")) << LogText();
}

}  // namespace
