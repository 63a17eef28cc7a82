// Servers that try to harm the checker: bytes meant to forge log lines, a
// check trickled out for ever, listings too large to keep, and counts too
// large for an int.
#include <chrono>
#include <string>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "common/core/log.h"
#include "platform/socket.h"
#include "tests/unit/pop3_server_test.h"

namespace {

using bw::Pop3Checker;
using bw_test::Crlf;
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

class Hostile : public bw_test::Pop3ServerTest {
 protected:
  // True when the log holds no control byte but the CR LF that end its lines.
  bool LogHasOnlyItsOwnLineEnds() const {
    const std::string log = LogText();
    for (size_t i = 0; i < log.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(log[i]);
      if (c == '\r' && i + 1 < log.size() && log[i + 1] == '\n') {
        ++i;
        continue;
      }
      if (c == '\t') continue;  // the challenge line's own indent
      if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
  }
};

// A challenge holding LF bytes would write lines of the server's choosing
// into the log, and ESC would reach whoever views it; both show escaped, and
// a Shift_JIS character in it stays whole.
TEST_F(Hostile, ServerBytesCannotForgeLogLinesOrPutControlBytesInTheLog) {
  const std::string challenge = "<1.2\n--- [home] --- forged\x1B[2J\x7F\x82\xA0>";
  ScriptedPop3Server server(
      {With(LoggedIn("+OK ready " + challenge), {Hear(), Reply("\x1B[31m+OK 1 10"), Hear()}),
       {Reply("+OK ready"), Hear(), Say("\r\n")}});
  Point(server);
  EXPECT_EQ(account.Check(), -30);
  EXPECT_EQ(account.Challenge, challenge);  // the digest is taken over the bytes as sent
  EXPECT_TRUE(Logged("\tChallengeStrings=<1.2\\x0A--- [home] --- forged\\x1B[2J\\x7F\x82\xA0>\n"))
      << LogText();
  EXPECT_TRUE(Logged("POP3 -> \\x1B[31m+OK 1 10(15 Bytes)\n")) << LogText();
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -20);
  EXPECT_TRUE(Logged("POP3 -> \\x0D(2 Bytes)\n")) << LogText();  // an empty reply line
  EXPECT_TRUE(LogHasOnlyItsOwnLineEnds()) << LogText();
}

// Each listing line comes well within the line time-out, so only the bound
// on the whole check can end it; it fails with a line saying why.
TEST_F(Hostile, TrickledListingEndsAtTheWholeCheckCeiling) {
  Pop3Script slow = With(LoggedIn(), {Hear(), Reply("+OK")});
  for (int i = 1; i <= 8; ++i) {
    slow.push_back(Reply(std::to_string(i) + " uid" + std::to_string(i)));
    slow.push_back(Pause(400));
  }
  ScriptedPop3Server server({slow});
  Point(server);
  account.UseUIDL = 1;
  account.ContinueTimeout = 1;
  bw::SetCheckCeilingMs(1500);
  const auto start = Clock::now();
  EXPECT_EQ(account.Check(), -30);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(1400));
  EXPECT_LT(took, std::chrono::milliseconds(2500));
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_FALSE(account.Connected());
  EXPECT_TRUE(Logged("--- Timeout.\n"));
  EXPECT_TRUE(Logged("home : 確認全体の制限時間(1秒)を超えたため打ち切りました.\n")) << LogText();
  EXPECT_EQ(bw::CheckCeilingMs(), 1500);
  bw::SetCheckCeilingMs(0);
  EXPECT_EQ(bw::CheckCeilingMs(), 180000);
}

// A UID may have 70 characters and a message number 10; a listing with a
// longer one is refused whole, and the last good listing is kept.
TEST_F(Hostile, OverlongUidOrMessageNumberFailsTheListing) {
  const std::string uid70(70, 'u');
  auto listing = [&](const std::string& line) {
    return With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 a"), Reply(line), Reply(".")});
  };
  ScriptedPop3Server server({listing("2 " + uid70), listing("3 " + uid70 + "v"),
                             listing("12345678901 b")});
  Point(server);
  account.UseUIDL = 1;
  account.DisconnectNoQuit = 1;
  ASSERT_EQ(account.Check(), 0);
  ASSERT_EQ(account.UidlMemory.size(), 2u);
  EXPECT_EQ(account.UidlMemory[1].uid, uid70);
  EXPECT_EQ(account.Check(), -30);
  EXPECT_TRUE(Logged("UIDL応答解析失敗.  UIDが70ﾊﾞｲﾄを超えています.\n")) << LogText();
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
  EXPECT_EQ(account.UidlMemory.size(), 2u);
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), -30);
  EXPECT_TRUE(Logged("UIDL応答解析失敗.  ﾒｯｾｰｼﾞ番号が10ﾊﾞｲﾄを超えています.\n")) << LogText();
}

// A million entries are kept; one more fails the listing.
TEST_F(Hostile, ListingBeyondAMillionEntriesFails) {
  bw::LogReset();  // a million logged lines would only slow the test
  auto listing = [](size_t entries) {
    return With(LoggedIn(), {Hear(), Reply("+OK"),
                             Generate([](int i) { return std::to_string(i) + " u" + std::to_string(i) + "\r\n"; },
                                      static_cast<int>(entries)),
                             Reply(".")});
  };
  ScriptedPop3Server server({listing(bw::kUidlMaxEntries), listing(bw::kUidlMaxEntries + 1)});
  Point(server);
  account.UseUIDL = 1;
  account.DisconnectNoQuit = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 1000000u);
  EXPECT_EQ(account.Check(), -30);
  EXPECT_EQ(account.UidlMemory.size(), bw::kUidlMaxEntries);  // the good one is kept
  StartLog();
}

// Lines without a space are kept by nobody, yet each counts toward the
// million; they are logged as one count, not one line each, so such a
// listing neither passes for an empty mailbox nor wipes the log.
TEST_F(Hostile, UnparsableListingLinesCountTowardTheLimitAndAreLoggedOnce) {
  ScriptedPop3Server server(
      {With(LoggedIn(), {Hear(), Reply("+OK"), Reply("1 a"), Reply("junk"), Reply(""), Reply("2 b"),
                         Reply("3"), Reply(".")}),
       With(LoggedIn(), {Hear(), Reply("+OK"),
                         Generate([](int i) { return std::to_string(i) + "\r\n"; },
                                  static_cast<int>(bw::kUidlMaxEntries) + 1),
                         Reply(".")})});
  Point(server);
  account.UseUIDL = 1;
  account.DisconnectNoQuit = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 2u);
  EXPECT_TRUE(Logged("POP3 <- UIDL(4+2 Bytes)\nPOP3 -> +OK(5 Bytes)\nPOP3 -> 1 a(5 Bytes)\n"
                     "POP3 -> 2 b(5 Bytes)\nPOP3 -> .(3 Bytes)\n"
                     "UIDL応答の解析できない3行を読み飛ばしました.\n"))
      << LogText();
  EXPECT_EQ(LogText().find("junk"), std::string::npos);
  EXPECT_EQ(account.Check(), -30);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
  EXPECT_EQ(account.UidlMemory.size(), 2u);  // the good listing is kept
  EXPECT_TRUE(Logged("UIDL応答解析失敗.  一覧が1000000件を超えています.\n"
                     "UIDL応答の解析できない1000000行を読み飛ばしました.\n"));
  EXPECT_EQ(LogText().find("Logfile was Refreshed"), std::string::npos);
  EXPECT_EQ(LogText().find("POP3 -> 1 a(5 Bytes)"), LogText().rfind("POP3 -> 1 a(5 Bytes)"));
  EXPECT_LT(LogText().size(), 4096u);
}

// The listings of all accounts share one memory budget: with another
// account's listing holding most of it, a listing that would go beyond it
// fails (naming memory) and keeps the last good one; once the other is
// gone, the same listing fits.
TEST_F(Hostile, ListingsOfAllAccountsStayWithinOneMemoryBudget) {
  const int entries = 5000;  // about 0.5 MiB with 70-byte UIDs
  auto uid = [](int i) {
    std::string u = std::to_string(i);
    return u + std::string(70 - u.size(), 'u');
  };
  auto listing = [&](int count) {
    return With(LoggedIn(), {Hear(), Reply("+OK"),
                             Generate([=](int i) { return std::to_string(i) + " " + uid(i) + "\r\n"; }, count),
                             Reply(".")});
  };
  ScriptedPop3Server server({listing(1), listing(entries), listing(entries)});
  Point(server);
  account.UseUIDL = 1;
  account.DisconnectNoQuit = 1;
  ASSERT_EQ(account.Check(), 0);
  bw::SetUidlMemoryBudget(1 << 20);
  {
    bw::UidlList otherAccount;
    for (int i = 0; i < entries; ++i) ASSERT_EQ(otherAccount.Append(uid(i), "1"), bw::UidlList::Added);
    EXPECT_EQ(account.Check(), -30);
    EXPECT_TRUE(Logged("UIDL応答解析失敗.  全ｱｶｳﾝﾄの一覧のﾒﾓﾘが上限1MBを超えます.\n")) << LogText();
    EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
    EXPECT_EQ(account.UidlMemory.size(), 1u);
  }
  account.CheckState = Pop3Checker::Ready;
  EXPECT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, static_cast<unsigned>(entries));
  bw::SetUidlMemoryBudget(0);
  account.ResetCounts();
  EXPECT_EQ(bw::UidlMemoryHeld(), 0u);
}

// A count of 2^31 or more would turn negative in the new count; it is
// refused like any reply without a count, and the largest int is shown as
// it is.
TEST_F(Hostile, CountsBeyondAnIntAreRefusedNeverShownNegative) {
  auto stat = [](const char* reply) {
    return With(LoggedIn(), {Hear(), Reply(reply), Hear(), Reply("+OK")});
  };
  ScriptedPop3Server server({stat("+OK 2147483648 10"), stat("+OK 4294967295 10"),
                             stat("+OK 2147483647 10")});
  Point(server);
  for (int i = 0; i < 2; ++i) {
    account.CheckState = Pop3Checker::Ready;
    EXPECT_EQ(account.Check(), -30) << i;
    EXPECT_EQ(account.MessageCount, 0u);
    EXPECT_EQ(account.NewCount, 0);
  }
  EXPECT_TRUE(Logged("STAT応答解析失敗.\n")) << LogText();
  account.CheckState = Pop3Checker::Ready;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.NewCount, 2147483647);
  bw::AttributeRequest nm{"NM", {}}, nr{"NR", {}};
  account.AttributeText(nm);
  account.AttributeText(nr);
  EXPECT_EQ(nm.result, "2147483647");
  EXPECT_EQ(nr.result, "2147483647");
}

}  // namespace
