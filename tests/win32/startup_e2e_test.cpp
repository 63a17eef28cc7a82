// Bellwick.exe's start-up as a user meets it: the boxes it shows, what it
// does to a running checker, the configurator it starts, the log it writes.
#include <string>

#include <gtest/gtest.h>

#include "checker/core/startup.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/driver.h"
#include "tests/win32/knobset_driver.h"

namespace {

using bw_test::RunAnsweringBoxes;
using bw_test::RunResult;

std::string Accounts(int n, const std::string& header = "") {
  std::string s = header + "AncestryPop3Controller::RingListClass\t{\r\n";
  for (int i = 0; i < n; ++i)
    s += "\tAncestryPop3Checker::RingListClass\t{\r\n\t\tHostName\t127.0.0.1\r\n\t\tUserID\tu\r\n"
         "\t\tPassword\tp\r\n\t}\r\n";
  return s + "}\r\n--EOF--\r\n";
}

class CheckerStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = bw_test::MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    exe = "\"" + bw_test::BinFolder() + "\\Bellwick.exe\"";
  }
  RunResult Run(const std::string& arguments) {
    return RunAnsweringBoxes(exe + " " + arguments, dir);
  }
  std::string File(const std::string& name) const { return dir + "\\" + name; }

  std::string dir;
  std::string exe;
};

TEST_F(CheckerStartup, HelpShowsTheUsageBoxAndEnds) {
  RunResult r = Run("-h");
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].caption, "Bellwick");
  EXPECT_EQ(r.boxes[0].text, bw::kUsageText);
}

TEST_F(CheckerStartup, UnreadableExplicitFileNamesItThenShowsUsage) {
  RunResult r = Run("-p \"no such.ini\"");
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[0].text, "no such.ini が読めません.");
  EXPECT_EQ(r.boxes[1].text, bw::kUsageText);
}

TEST_F(CheckerStartup, MissingDefaultFileWithoutConfiguratorAsksForSettings) {
  CopyFileW(bw::Wide(bw_test::BinFolder() + "\\Bellwick.exe").c_str(),
            bw::Wide(File("Bellwick.exe")).c_str(), TRUE);
  RunResult r = RunAnsweringBoxes("\"" + File("Bellwick.exe") + "\"", dir);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].text, "設定が未定義です.ｺﾝﾌｫｸﾞﾚｰﾀで設定して下さい.");
}

TEST_F(CheckerStartup, MissingDefaultFileBesideTheConfiguratorStartsItQuietly) {
  RunResult r = Run("");
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.boxes.empty());
  // The configurator came up on the missing file: its first-use notes, then
  // its main window, which is left again at once.
  HWND notes = nullptr;
  for (int i = 0; i < 400 && !notes; ++i, Sleep(50))
    notes = FindWindowW(L"#32770", bw::Wide("初めてご利用になる方へ").c_str());
  ASSERT_NE(notes, nullptr);
  bw_test::KnobsetProcess knobset(notes);
  bw_test::PressButton(notes, IDOK);
  HWND main = knobset.WaitForDialog("Bellwick Configration");
  ASSERT_NE(main, nullptr);
  bw_test::PressButton(main, IDCANCEL);
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

TEST_F(CheckerStartup, FileErrorsAndAccountCountsShowTheirMessages) {
  bw_test::WriteFileBytes(File("bad.ini"), "AncestryPop3Controller::RingListClass\t{\r\n");
  bw_test::WriteFileBytes(File("none.ini"), Accounts(0));
  bw_test::WriteFileBytes(File("over.ini"), Accounts(257));
  bw_test::WriteFileBytes(File("max.ini"), Accounts(256));
  const char* expected[][2] = {
      {"-p bad.ini", "パラメータファイルの書式が誤っています."},
      {"-p none.ini", "接続先の定義がありません."},
      {"-p over.ini", "接続先は最大２５６個までしか登録できません."},
  };
  for (auto& e : expected) {
    RunResult r = Run(e[0]);
    ASSERT_EQ(r.boxes.size(), 1u) << e[0];
    EXPECT_EQ(r.boxes[0].text, e[1]);
  }
  RunResult ok = Run("-p max.ini");
  EXPECT_EQ(ok.exitCode, 0u);
  EXPECT_TRUE(ok.boxes.empty());
  EXPECT_TRUE(ok.checkerStarted);
}

TEST_F(CheckerStartup, RunningCheckerIsRespectedOrClosedAsTheOptionsSay) {
  bw_test::WriteFileBytes(File("one.ini"), Accounts(1));
  bw_test::FakeRunningChecker running;
  RunResult plain = Run("-p one.ini");
  ASSERT_EQ(plain.boxes.size(), 1u);
  EXPECT_EQ(plain.boxes[0].text, "既に起動されています.");
  RunResult refuse = Run("-d 1 -p one.ini");
  ASSERT_EQ(refuse.boxes.size(), 1u);
  EXPECT_EQ(refuse.boxes[0].text, "既に起動されています.");
  EXPECT_EQ(running.CloseCount(), 0);

  RunResult take = Run("-x -p one.ini");
  EXPECT_TRUE(take.boxes.empty());
  EXPECT_TRUE(take.checkerStarted);
  EXPECT_EQ(running.CloseCount(), 1);
}

TEST_F(CheckerStartup, LogIsRestartedAndWrittenWithCrLf) {
  bw_test::WriteFileBytes(File("run.log"), "previous run\r\n");
  std::string text = Accounts(1, "LogFileName\trun.log\r\nLogFileLimit\t10\r\n");
  text.insert(text.find("\tAncestryPop3Checker"), "\tMystery\t1\r\n");
  bw_test::WriteFileBytes(File("log.ini"), text);
  RunResult r = Run("-p log.ini");
  EXPECT_TRUE(r.boxes.empty());
  const std::string log = bw_test::ReadFileBytes(File("run.log"));
  EXPECT_EQ(log.rfind("Controller : KeyWord[Mystery]は、認識できません.\r\n", 0), 0u) << log;
}

}  // namespace
