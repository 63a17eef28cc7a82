// Checker start-up against a fake platform: which message, which action.
#include <memory>
#include <string>
#include <vector>

#include "checker/core/startup.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::WriteBytes;

struct FakeHost : bw::StartupHost {
  bool running = false;
  bool configurator = true;
  bool failCreate = false;
  std::vector<std::string> calls;

  bool FindRunningChecker() override { return running; }
  void CloseRunningChecker() override { calls.push_back("close"); }
  std::unique_ptr<bw::AncestryPop3Controller> CreateApplication() override {
    if (failCreate) return nullptr;
    return std::make_unique<bw::AncestryPop3Controller>();
  }
  bool ConfiguratorPresent() override { return configurator; }
  void StartConfigurator() override { calls.push_back("knobset"); }
  void EnterSimulationMode() override { calls.push_back("simulate"); }
};

std::string Accounts(int n) {
  std::string s = "AncestryPop3Controller::RingListClass\t{\n";
  for (int i = 0; i < n; ++i)
    s += "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n\t\tUserID\tu\n"
         "\t\tPassword\tp\n\t}\n";
  return s + "}\n--EOF--\n";
}

class Startup : public bw_test::ScratchTest {
 protected:
  bw::StartupResult Run(const char* commandLine) { return bw::RunStartup(commandLine, host); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : boxes) t.push_back(b.text);
    return t;
  }
  FakeHost host;
};

TEST_F(Startup, HelpOptionsAndUnparsableLinesShowTheUsageOnly) {
  for (const char* line : {"-h", "-H", "-?", "-p \"open", "stray"}) {
    boxes.clear();
    EXPECT_FALSE(Run(line).application) << line;
    ASSERT_EQ(boxes.size(), 1u) << line;
    EXPECT_EQ(boxes[0].text, bw::kUsageText);
    EXPECT_EQ(boxes[0].caption, "Bellwick");
    EXPECT_EQ(boxes[0].style, 0x2000u);
  }
}

TEST_F(Startup, RunningCheckerIsClosedOrRespectedByOption) {
  WriteBytes(Path("Bellwick.ini"), Accounts(1));
  host.running = true;
  EXPECT_FALSE(Run("").application);
  EXPECT_EQ(Texts(), std::vector<std::string>{"既に起動されています."});
  EXPECT_FALSE(Run("-d 1").application);
  EXPECT_TRUE(host.calls.empty());

  EXPECT_TRUE(Run("-d").application);
  EXPECT_TRUE(Run("-d 0").application);
  EXPECT_TRUE(Run("-d 1 -x").application);  // "-x" is looked at first
  EXPECT_EQ(host.calls, (std::vector<std::string>{"close", "close", "close"}));
  EXPECT_TRUE(Run("-d 2").application);
  EXPECT_EQ(host.calls.size(), 3u);

  host.running = false;
  EXPECT_TRUE(Run("-x").application);
  EXPECT_EQ(host.calls.size(), 3u);
}

TEST_F(Startup, MissingDefaultFileStartsTheConfiguratorOrAsksForSettings) {
  EXPECT_FALSE(Run("").application);
  EXPECT_FALSE(Run("-p Bellwick.ini").application);
  EXPECT_FALSE(Run("-p -s").application);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"knobset", "knobset", "knobset"}));
  EXPECT_TRUE(boxes.empty());

  host.configurator = false;
  EXPECT_FALSE(Run("").application);
  EXPECT_EQ(Texts(), std::vector<std::string>{"設定が未定義です.ｺﾝﾌｫｸﾞﾚｰﾀで設定して下さい."});
}

// The existence probe must not shut out a save's complete work file.
TEST_F(Startup, OnlyTheWorkFileOfACutOffSaveStartsTheCheckerWithIt) {
  WriteBytes(Path("Bellwick.ini_new"), Accounts(2));
  bw::StartupResult started = Run("");
  ASSERT_TRUE(started.application);
  EXPECT_EQ(started.application->AccountCount(), 2);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(Startup, UnreadableExplicitFileShowsItsNameThenTheUsage) {
  EXPECT_FALSE(Run("-p \"my file.ini\"").application);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"my file.ini が読めません.", bw::kUsageText}));
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(Startup, FormatErrorAndAccountCountsAreRefusedWithTheirMessages) {
  WriteBytes(Path("bad.ini"), "AncestryPop3Controller::RingListClass\t{\n");
  WriteBytes(Path("none.ini"), Accounts(0));
  WriteBytes(Path("max.ini"), Accounts(256));
  WriteBytes(Path("over.ini"), Accounts(257));
  EXPECT_FALSE(Run("-p bad.ini").application);
  EXPECT_FALSE(Run("-p none.ini").application);
  EXPECT_FALSE(Run("-p over.ini").application);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"パラメータファイルの書式が誤っています.",
                                               "接続先の定義がありません.",
                                               "接続先は最大２５６個までしか登録できません."}));
  bw::StartupResult ok = Run("-p max.ini -s");
  ASSERT_TRUE(ok.application);
  EXPECT_EQ(ok.application->AccountCount(), 256);
  EXPECT_EQ(ok.parameterPath, "max.ini");
  EXPECT_EQ(host.calls, std::vector<std::string>{"simulate"});
}

TEST_F(Startup, ApplicationObjectThatCannotBeCreatedEndsStartUp) {
  host.failCreate = true;
  EXPECT_FALSE(Run("").application);
  EXPECT_EQ(Texts(), std::vector<std::string>{"インスタンスの初期化に失敗しました."});
}

}  // namespace
