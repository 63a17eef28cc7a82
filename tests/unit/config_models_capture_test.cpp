// The capture's model: the option word, the filter's order, the record a
// window yields and the merge into a list with its counts and messages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/core/ring_list.h"
#include "configurator/core/capture_model.h"

namespace {

using bw::CaptureRefusal;

TEST(CaptureDialog, OptionWordRoundTripsAndUnlistedBitsNeverComeBack) {
  EXPECT_EQ(bw::BuildCaptureOptions(bw::LoadCaptureDialog(bw::kCaptureDefaultOptions)),
            0x20000D50u);
  EXPECT_EQ(bw::BuildCaptureOptions(bw::LoadCaptureDialog(0xFFFFFFFFu)), 0x30000F5Cu);
  bw::CaptureDialogFields f = bw::LoadCaptureDialog(bw::kCaptureDefaultOptions);
  EXPECT_TRUE(f.skipListed && f.skipSelf && f.skipProgman && f.captureSize);
  EXPECT_TRUE(f.acceptMinimized && f.acceptDisabled);
  EXPECT_FALSE(f.replaceList || f.capturePriority || f.acceptZeroSize || f.acceptUntitled);
  EXPECT_TRUE(bw::SkipListedEnabled(f));
  f.replaceList = true;
  EXPECT_FALSE(bw::SkipListedEnabled(f));
}

// A window that every step of the filter refuses.
bw::CapturedWindow Hopeless() {
  bw::CapturedWindow w;
  w.hasOwner = true;
  w.enabled = false;
  w.visible = false;
  w.title = "";
  w.placementRead = false;
  w.showState = 2;
  return w;
}

TEST(CaptureFilter, StepsRefuseInTheirOrder) {
  const unsigned strict = bw::kCaptureSkipProgman;
  bw::CapturedWindow w = Hopeless();
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kOwned);
  w.hasOwner = false;
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kDisabled);
  w.enabled = true;
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kInvisible);
  w.visible = true;
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kUntitled);
  w.title = "Program Manager";
  w.className = "Progman";
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kProgramManager);
  w.className = "Other";
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kNoPlacement);
  w.placementRead = true;
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kZeroSize);
  w.normalPosition = {10, 10, 10, 50};  // zero wide but 40 high: not zero size
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kMinimized);
  w.showState = 3;
  EXPECT_EQ(bw::FilterCapturedWindow(w, strict), CaptureRefusal::kAccepted);
}

TEST(CaptureFilter, OptionBitsLetTheirWindowsThrough) {
  bw::CapturedWindow w = Hopeless();
  w.hasOwner = false;
  w.visible = true;
  w.placementRead = true;
  const unsigned lenient = bw::kCaptureDisabled | bw::kCaptureUntitled | bw::kCaptureZeroSize |
                           bw::kCaptureMinimized;
  EXPECT_EQ(bw::FilterCapturedWindow(w, lenient), CaptureRefusal::kAccepted);
  w.title = "Program Manager";
  w.className = "Progman";
  EXPECT_EQ(bw::FilterCapturedWindow(w, lenient), CaptureRefusal::kAccepted);
  EXPECT_EQ(bw::FilterCapturedWindow(w, bw::kCaptureDefaultOptions), CaptureRefusal::kProgramManager);
  EXPECT_STREQ(bw::CaptureRefusalMessage(CaptureRefusal::kProgramManager), "ﾌﾟﾛｸﾞﾗﾑﾏﾈｼﾞｬｸﾗｽです.");
  EXPECT_STREQ(bw::CaptureRefusalMessage(CaptureRefusal::kMinimized),
               "ｱｲｺﾝ状態ですので取り込みできません.");
  EXPECT_EQ(bw::CaptureRefusalMessage(CaptureRefusal::kNoPlacement), nullptr);
}

bw::CapturedWindow Accepted() {
  bw::CapturedWindow w;
  w.title = "Viewer";
  w.showState = 3;
  w.normalPosition = {-8, 20, 400, 300};
  w.windowRect = {0, 0, 1024, 768};
  return w;
}

std::string Written(bw::Executant& e) {
  bw::TextOutput out;
  e.WriteBlock(out, 0, false);
  return out.Bytes();
}

TEST(CaptureRecord, PositionAlwaysSizeAndPriorityOnlyWhenAskedFor) {
  bw::CapturedProcess p{"C:\\Apps\\Viewer.EXE", bw::CapturedPriority::kHigh};
  bw::Executant e;
  ASSERT_EQ(bw::BuildCapturedRecord(Accepted(), p, bw::kCaptureDefaultOptions & ~bw::kCaptureSize,
                                    "c:\\k\\knobset.exe", e),
            bw::CaptureBuild::kBuilt);
  EXPECT_EQ(Written(e),
            "\tExecutionShowMode\t3\r\n\tExecutionPath\tC:\\Apps\r\n"
            "\tExecutionFileName\tc:\\apps\\viewer.exe\r\n\tExecutionPosition\t-8,20\r\n");

  bw::MenuExecutant m;
  ASSERT_EQ(bw::BuildCapturedRecord(Accepted(), p, bw::kCaptureSize | bw::kCapturePriority, "", m),
            bw::CaptureBuild::kBuilt);
  EXPECT_EQ(m.sizeGiven, 1);
  EXPECT_EQ(m.width, 1024);
  EXPECT_EQ(m.height, 768);
  EXPECT_EQ(m.ExecutionPriority, 0x30);
  EXPECT_EQ(m.MenuExecutionName, "");
  p.priority = bw::CapturedPriority::kIdle;
  bw::BuildCapturedRecord(Accepted(), p, bw::kCapturePriority, "", m);
  EXPECT_EQ(m.ExecutionPriority, 0x10);
  p.priority = bw::CapturedPriority::kOther;
  bw::BuildCapturedRecord(Accepted(), p, bw::kCapturePriority, "", m);
  EXPECT_EQ(m.ExecutionPriority, 0x20);
}

TEST(CaptureRecord, OwnProgramIsDroppedOnlyWithItsBitAndNoModuleAlways) {
  bw::CapturedProcess self{"C:\\Tools\\KNOBSET.exe", bw::CapturedPriority::kOther};
  bw::Executant e;
  EXPECT_EQ(bw::BuildCapturedRecord(Accepted(), self, bw::kCaptureSkipSelf, "c:\\tools\\Knobset.EXE", e),
            bw::CaptureBuild::kOwnProgram);
  EXPECT_EQ(bw::BuildCapturedRecord(Accepted(), self, 0, "c:\\tools\\Knobset.EXE", e),
            bw::CaptureBuild::kBuilt);
  EXPECT_EQ(bw::BuildCapturedRecord(Accepted(), bw::CapturedProcess{}, 0, "", e),
            bw::CaptureBuild::kNoModule);
}

// A ring of records with these program files, head first.
template <typename T = bw::Executant>
T* Ring(const std::vector<std::string>& files) {
  T* head = nullptr;
  for (const std::string& f : files) {
    T* r = new T;
    r->ExecutionFileName = f;
    if (head)
      head->InsertBefore(r);
    else
      head = r;
  }
  return head;
}

template <typename T>
std::vector<std::string> Files(T* head) {
  std::vector<std::string> files;
  bw::WalkRing(head, [&](T* e) { files.push_back(e->ExecutionFileName); });
  return files;
}

TEST(CaptureMerge, AlreadyListedProgramIsSkippedWhateverItsFolderOrCase) {
  bw::Executant* list = Ring({"c:\\apps\\viewer.exe"});
  bw::CaptureMerge m = bw::MergeCaptured(list, Ring({"D:\\Other\\VIEWER.EXE"}),
                                         bw::kCaptureDefaultOptions);
  EXPECT_EQ(m.total, 1);
  EXPECT_EQ(m.added, 0);
  EXPECT_FALSE(m.changed);
  EXPECT_EQ(m.message, "既にﾘｽﾄに登録済みのモジュールですので、取り込みませんでした.");
  m = bw::MergeCaptured(list, Ring({"c:\\a\\viewer.exe", "c:\\b\\viewer.exe"}),
                        bw::kCaptureDefaultOptions);
  EXPECT_EQ(m.message, "既にﾘｽﾄに登録済みのモジュールですので、１件も取り込みませんでした.");
  EXPECT_EQ(Files(list), std::vector<std::string>{"c:\\apps\\viewer.exe"});
  bw::DestroyRing(list);
}

TEST(CaptureMerge, TwoWindowsOfOneProgramGiveOneRecordWithSkipAndTwoWithout) {
  bw::Executant* list = Ring({"c:\\mail\\mailer.exe"});
  bw::CaptureMerge m = bw::MergeCaptured(
      list, Ring({"c:\\p\\probe.exe", "c:\\mail\\mailer.exe", "c:\\p\\probe.exe"}),
      bw::kCaptureDefaultOptions);
  EXPECT_EQ(m.total, 3);
  EXPECT_EQ(m.added, 1);
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(m.message, "既に登録済みのモジュールを除いて 1 件取り込みました.");
  EXPECT_EQ(Files(list), (std::vector<std::string>{"c:\\mail\\mailer.exe", "c:\\p\\probe.exe"}));

  m = bw::MergeCaptured(list, Ring({"c:\\p\\probe.exe", "c:\\q\\probe.exe"}),
                        bw::kCaptureDefaultOptions & ~bw::kCaptureSkipListed);
  EXPECT_EQ(m.added, 2);
  EXPECT_EQ(m.message, "2 件取り込みました.");
  // Appended at the end, in capture order.
  EXPECT_EQ(Files(list), (std::vector<std::string>{"c:\\mail\\mailer.exe", "c:\\p\\probe.exe",
                                                   "c:\\p\\probe.exe", "c:\\q\\probe.exe"}));
  bw::DestroyRing(list);
}

TEST(CaptureMerge, ReplaceModeSwapsTheWholeListWithoutAMessage) {
  bw::MenuExecutant* list = Ring<bw::MenuExecutant>({"c:\\a.exe", "c:\\b.exe"});
  bw::CaptureMerge m = bw::MergeCaptured(list, Ring<bw::MenuExecutant>({"c:\\a.exe"}),
                                         bw::kCaptureReplaceList | bw::kCaptureSkipListed);
  EXPECT_EQ(m.added, 1);
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(m.message, "");
  EXPECT_EQ(Files(list), std::vector<std::string>{"c:\\a.exe"});
  bw::DestroyRing(list);

  // Into an empty list everything is added, in capture order.
  bw::Executant* empty = nullptr;
  m = bw::MergeCaptured(empty, Ring({"c:\\x.exe", "c:\\y.exe"}), bw::kCaptureSkipListed);
  EXPECT_EQ(m.message, "2 件取り込みました.");
  EXPECT_EQ(Files(empty), (std::vector<std::string>{"c:\\x.exe", "c:\\y.exe"}));
  bw::DestroyRing(empty);
}

}  // namespace
