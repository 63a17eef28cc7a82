// The dialogue over a byte stream of another kind than a socket (as a TLS
// session would be): a stream in memory that answers each command line and
// hands its bytes out a few at a time.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/pop3_checker.h"
#include "common/core/base64.h"
#include "tests/unit/test_support.h"

namespace {

using bw::Pop3Checker;

struct StreamRecord {
  std::string sent;
  bool shutDown = false;
  bool destroyed = false;
};

class MemoryStream : public bw::net::ByteStream {
 public:
  // The first turn is there at once; each further one once a command line
  // has been sent.
  MemoryStream(std::deque<std::string> turns, std::shared_ptr<StreamRecord> record)
      : turns_(std::move(turns)), record_(std::move(record)) {
    NextTurn();
  }
  ~MemoryStream() override { record_->destroyed = true; }
  int WaitReadable(int) override { return available_.empty() && !turns_.empty() ? 0 : 1; }
  int WaitWritable(int) override { return 1; }
  int Send(const void* data, int length) override {
    record_->sent.append(static_cast<const char*>(data), static_cast<size_t>(length));
    if (record_->sent.size() >= 2 && record_->sent.compare(record_->sent.size() - 2, 2, "\r\n") == 0)
      NextTurn();
    return length;
  }
  int Receive(void* data, int length) override {
    const int n = std::min<int>({length, 3, static_cast<int>(available_.size())});
    std::memcpy(data, available_.data(), static_cast<size_t>(n));
    available_.erase(0, static_cast<size_t>(n));
    return n;  // 0 once everything is said: the end of the stream
  }
  void Shutdown() override { record_->shutDown = true; }

 private:
  void NextTurn() {
    if (turns_.empty()) return;
    available_ += turns_.front();
    turns_.pop_front();
  }
  std::deque<std::string> turns_;
  std::string available_;
  std::shared_ptr<StreamRecord> record_;
};

class StreamDialogue : public bw_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    account.ConnectionName = "home";
    account.UserID = "taro";
    account.Password = "secret";
    account.TOofSendRecv_Sec = 1;
    account.CheckState = Pop3Checker::Communicating;
  }
  Pop3Checker account;
  char line[bw::kPop3LineBufferSize];
};

TEST_F(StreamDialogue, AnyByteStreamCarriesTheWholeDialogueAndIsShutDownAndClosed) {
  auto record = std::make_shared<StreamRecord>();
  account.AttachStream(std::make_unique<MemoryStream>(
      std::deque<std::string>{"+OK ready\r\n", "+OK\r\n", "+OK\r\n", "+OK\r\n1 a\r\n2 b c\r\n.\r\n",
                              "+OK bye\r\n"},
      record));
  ASSERT_TRUE(account.Connected());
  ASSERT_EQ(account.ReceiveLine(line), 0);
  EXPECT_STREQ(line, "+OK ready\r\n");
  ASSERT_EQ(account.LoginUserPass(line), bw::LoginOk);
  ASSERT_EQ(account.QueryUidl(line), bw::QueryOk);
  ASSERT_EQ(account.UidlMemory.size(), 2u);
  EXPECT_EQ(account.UidlMemory[1].uid, "b c");
  EXPECT_EQ(account.SendCommand("QUIT", line), 0);
  account.Disconnect();
  EXPECT_FALSE(account.Connected());
  EXPECT_TRUE(record->shutDown);
  EXPECT_TRUE(record->destroyed);
  EXPECT_EQ(record->sent, "USER taro\r\nPASS secret\r\nUIDL\r\nQUIT\r\n");
  EXPECT_NE(LogText().find(bw_test::Crlf("POP3 -> 2 b c(7 Bytes)\n")), std::string::npos);
}

// A stream that ends in the middle of a reply fails the step as a closed
// connection would.
TEST_F(StreamDialogue, StreamEndingMidReplyFailsTheStepAsClosed) {
  auto record = std::make_shared<StreamRecord>();
  account.AttachStream(std::make_unique<MemoryStream>(std::deque<std::string>{"+OK ready\r\n", "+O"}, record));
  ASSERT_EQ(account.ReceiveLine(line), 0);
  EXPECT_EQ(account.QueryStat(line), bw::QueryCommandFailed);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseTransfer);
  EXPECT_NE(LogText().find(bw_test::Crlf("--- No Data.\n")), std::string::npos);
}

// XOAUTH2: the command, the server's "+", then one base64 line of several
// kilobytes for a large access token, which the log shows masked.
TEST_F(StreamDialogue, Xoauth2SendsTheWholeLongLineAndLogsItMasked) {
  const std::string token(3000, 'T');
  auto record = std::make_shared<StreamRecord>();
  account.AttachStream(std::make_unique<MemoryStream>(
      std::deque<std::string>{"", "+ \r\n", "+OK Logged in.\r\n"}, record));
  ASSERT_EQ(account.LoginXoauth2(line, token), bw::LoginOk);
  const std::string response = bw::Base64Encode("user=taro\x01" "auth=Bearer " + token + "\x01\x01");
  EXPECT_EQ(record->sent, "AUTH XOAUTH2\r\n" + response + "\r\n");
  EXPECT_NE(LogText().find(bw_test::Crlf("POP3 <- ********(8+2 Bytes)\n")), std::string::npos);
  EXPECT_EQ(LogText().find("TTTT"), std::string::npos);
}

// A refusal in a "+" challenge is answered with an empty line, its status
// logged; a server without XOAUTH2 never sees the token. Both leave an
// account error.
TEST_F(StreamDialogue, Xoauth2RefusalsLeaveAnAccountErrorWithTheirReason) {
  auto record = std::make_shared<StreamRecord>();
  account.AttachStream(std::make_unique<MemoryStream>(
      std::deque<std::string>{"", "+ \r\n", "+ eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJtYWlsIn0=\r\n",
                              "-ERR [AUTH] Authentication failed.\r\n"},
      record));
  EXPECT_EQ(account.LoginXoauth2(line, "tok"), bw::LoginUserFailed);
  EXPECT_EQ(record->sent.substr(record->sent.size() - 4), "\r\n\r\n");
  EXPECT_NE(LogText().find(bw_test::Crlf("home : ｻｰﾊﾞがXOAUTH2の認証を拒否しました(status=401).\n")), std::string::npos);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);

  auto refused = std::make_shared<StreamRecord>();
  account.CheckState = Pop3Checker::Communicating;
  account.AttachStream(std::make_unique<MemoryStream>(
      std::deque<std::string>{"", "-ERR Unsupported authentication mechanism.\r\n"}, refused));
  EXPECT_EQ(account.LoginXoauth2(line, "tok"), bw::LoginUserFailed);
  EXPECT_EQ(refused->sent, "AUTH XOAUTH2\r\n");
  EXPECT_NE(LogText().find(bw_test::Crlf("home : ｻｰﾊﾞがAUTH XOAUTH2を受け付けません.\n")), std::string::npos);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
}

// The UIDL memory compares UIDs byte for byte, whatever their number or
// how many times one occurs.
TEST(UidlMemory, NewCountIsExactForDuplicatesEmptyAndLongUids) {
  const std::string long1(255, 'x'), long2 = std::string(254, 'x') + "y";
  bw::UidlList previous{{"a", "1"}, {"a", "2"}, {"", "3"}, {long1, "4"}};
  bw::UidlList current{{"a", "1"}, {"A", "2"}, {"", "3"}, {long2, "4"}, {long1, "5"}, {"b", "6"}};
  EXPECT_EQ(bw::CountNewUids(current, previous), 3);  // A, the second long one, b
  EXPECT_EQ(bw::CountNewUids(current, bw::UidlList{}), 6);
  EXPECT_EQ(bw::CountNewUids(bw::UidlList{}, previous), 0);
  EXPECT_EQ(current.Append(std::string(256, 'z'), "7"), bw::UidlList::NotStored);
  ASSERT_EQ(current.size(), 6u);
  EXPECT_EQ(current[3].uid, long2);
  EXPECT_EQ(current[4].number, "5");
  // Many entries span several blocks and keep their order.
  bw::UidlList many;
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(many.Append(std::to_string(i) + std::string(60, '-'), std::to_string(i)), bw::UidlList::Added);
  EXPECT_EQ(many[19999].number, "19999");
  EXPECT_EQ(many[12345].uid, "12345" + std::string(60, '-'));
  EXPECT_EQ(bw::CountNewUids(many, many), 0);
}

}  // namespace

// A previous listing of 16, 32, 64 ... UIDs fills a hash table sized one
// step too small, and the search for a UID it lacks never ends. The count
// runs on a worker, so that such a fault fails the test instead of hanging
// the suite (the spinning worker is left behind).
TEST(UidlMemory, OneNewUidIsCountedWhateverThePreviousListingsSize) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::int32_t> counts;
    bool done = false;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared] {
    for (int n = 0; n <= 70; ++n) {
      bw::UidlList previous, current;
      for (int i = 0; i < n; ++i) {
        previous.Append("uid" + std::to_string(i), std::to_string(i + 1));
        current.Append("uid" + std::to_string(i), std::to_string(i + 1));
      }
      current.Append("fresh", std::to_string(n + 1));
      const std::int32_t fresh = bw::CountNewUids(current, previous);
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->counts.push_back(fresh);
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->done = true;
    shared->changed.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(shared->mutex);
  ASSERT_TRUE(shared->changed.wait_for(lock, std::chrono::seconds(10), [&] { return shared->done; }))
      << "counting against a previous listing of " << shared->counts.size() << " UIDs never ended";
  for (size_t n = 0; n < shared->counts.size(); ++n) EXPECT_EQ(shared->counts[n], 1) << n;
}
