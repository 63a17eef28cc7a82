// The configurator's list editing: appending, deleting and the two moves on
// real record rings, checked by the order read back from the head.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/core/account_record.h"
#include "configurator/core/record_list.h"

namespace bw {
namespace {

// A ring of accounts named by their connection names, owned by the fixture.
class RecordListTest : public ::testing::Test {
 protected:
  void TearDown() override { DestroyRing(head); }

  void Make(const std::string& names) {
    for (char c : names) {
      auto* a = new AncestryPop3Checker;
      a->ConnectionName = std::string(1, c);
      AppendRecord(head, a);
    }
  }
  std::string Order() const {
    std::string order;
    WalkRing(head, [&order](AncestryPop3Checker* a) { order += a->ConnectionName; });
    return order;
  }
  // The records named, in row order (the way the list view reports them).
  std::vector<RingListClass*> Pick(const std::string& names) const {
    std::vector<RingListClass*> picked;
    WalkRing(head, [&](AncestryPop3Checker* a) {
      if (names.find(a->ConnectionName) != std::string::npos) picked.push_back(a);
    });
    return picked;
  }
  // The ring must read the same backwards: a broken back link would leave
  // Move down and Append working on a different list than the rows show.
  std::string ReverseOrder() const {
    std::string order;
    if (!head) return order;
    RingListClass* node = head->Previous() ? head->Previous() : head;
    for (;;) {
      order.insert(0, static_cast<AncestryPop3Checker*>(node)->ConnectionName);
      if (node == head) break;
      node = node->Previous();
    }
    return order;
  }

  AncestryPop3Checker* head = nullptr;
};

TEST_F(RecordListTest, AppendGoesAfterTheLastRecordNotAfterTheHead) {
  Make("ABCD");
  EXPECT_EQ(Order(), "ABCD");
  EXPECT_EQ(ReverseOrder(), "ABCD");
}

TEST_F(RecordListTest, MoveWithoutSelectionRotatesTheList) {
  Make("ABC");
  EXPECT_TRUE(MoveRecordsUp(head, {}));
  EXPECT_EQ(Order(), "BCA");
  MoveRecordsDown(head, {});
  MoveRecordsDown(head, {});
  EXPECT_EQ(Order(), "CAB");
}

TEST_F(RecordListTest, MoveUpKeepsABlockTogetherAndStopsItAtTheTop) {
  Make("ABCD");
  MoveRecordsUp(head, Pick("BC"));
  EXPECT_EQ(Order(), "BCAD");
  MoveRecordsUp(head, Pick("BC"));
  EXPECT_EQ(Order(), "BCAD");
  EXPECT_EQ(ReverseOrder(), "BCAD");
}

TEST_F(RecordListTest, MoveUpOfSeparateRowsMovesEachByOne) {
  Make("ABCDE");
  MoveRecordsUp(head, Pick("BD"));
  EXPECT_EQ(Order(), "BADCE");
  DestroyRing(head);
  Make("ABCDE");
  MoveRecordsUp(head, Pick("AE"));  // A at the top stays, E moves alone
  EXPECT_EQ(Order(), "ABCED");
}

TEST_F(RecordListTest, MoveDownOfTheHeadBlockMovesTheHeadPointerToo) {
  Make("ABCD");
  MoveRecordsDown(head, Pick("AB"));
  EXPECT_EQ(Order(), "CABD");
  EXPECT_EQ(ReverseOrder(), "CABD");
}

TEST_F(RecordListTest, MoveDownStopsABlockAtTheBottom) {
  Make("ABCD");
  MoveRecordsDown(head, Pick("CD"));
  EXPECT_EQ(Order(), "ABCD");
  MoveRecordsDown(head, Pick("AD"));
  EXPECT_EQ(Order(), "BACD");
}

TEST_F(RecordListTest, MovesInAListOfTwoOnlySwapTheRows) {
  Make("AB");
  MoveRecordsUp(head, Pick("B"));
  EXPECT_EQ(Order(), "BA");
  MoveRecordsDown(head, Pick("B"));
  EXPECT_EQ(Order(), "AB");
  EXPECT_EQ(ReverseOrder(), "AB");
}

TEST_F(RecordListTest, EveryRowSelectedReversesTheListBothWays) {
  Make("ABC");
  MoveRecordsUp(head, Pick("ABC"));
  EXPECT_EQ(Order(), "CBA");
  EXPECT_EQ(ReverseOrder(), "CBA");
  MoveRecordsDown(head, Pick("ABC"));
  EXPECT_EQ(Order(), "ABC");
}

TEST_F(RecordListTest, MovesOfAShortListDoNothing) {
  EXPECT_FALSE(MoveRecordsUp(head, {}));
  Make("A");
  EXPECT_FALSE(MoveRecordsDown(head, Pick("A")));
  EXPECT_EQ(Order(), "A");
}

TEST_F(RecordListTest, DeletingTheHeadHandsTheHeadToTheNextRecord) {
  Make("ABCDE");
  EXPECT_EQ(DeleteRecords(head, Pick("A")), 0);
  EXPECT_EQ(Order(), "BCDE");
  EXPECT_EQ(DeleteRecords(head, Pick("BCE")), -1);
  EXPECT_EQ(Order(), "D");
  EXPECT_EQ(DeleteRecords(head, Pick("D")), 0);
  EXPECT_EQ(head, nullptr);
}

TEST_F(RecordListTest, DeletingOneRowRemembersItsIndexForTheNextSelection) {
  Make("ABCDE");
  EXPECT_EQ(DeleteRecords(head, Pick("C")), 2);
  EXPECT_EQ(Order(), "ABDE");
  EXPECT_EQ(ReverseOrder(), "ABDE");
  EXPECT_EQ(DeleteRecords(head, {}), -1);
  EXPECT_EQ(Order(), "ABDE");
}

}  // namespace
}  // namespace bw
