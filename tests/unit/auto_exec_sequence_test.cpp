// The auto-exec sequence over a fake launcher that records every call in
// order, and what the sequence keeps from each start.
#include <string>
#include <vector>

#include "checker/core/auto_exec.h"
#include "common/core/launch.h"
#include "common/core/log.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::ScratchTest;

// What the fake keeps for a start: the program's name, to tell the waits
// apart.
struct FakeHeld : bw::HeldProgram {
  explicit FakeHeld(std::string name) : name(std::move(name)) {}
  std::string name;
};

class FakeLauncher : public bw::Launcher {
 public:
  int Launch(const bw::Executant& e, const char* desktop, bw::ProgramHold* hold) override {
    calls.push_back("launch " + e.ExecutionFileName + " [" + e.ExecutionArguments + "]" +
                    (hold ? " keep" : "") + (desktop ? " desk" : "") + " once=" +
                    e.properties.FindValue("ExecutionInitialOnce"));
    if (hold) hold->reset();
    if (hold && holdOnLaunch) *hold = std::make_unique<FakeHeld>(e.ExecutionFileName);
    return launchResult;
  }
  void Kill(const bw::Executant& e, bw::ProgramHold& hold, int methods) override {
    calls.push_back("kill " + e.ExecutionFileName + " " + std::to_string(methods));
    hold.reset();
  }
  int WaitForEnd(const bw::HeldProgram& held, unsigned long limit) override {
    calls.push_back("wait " + static_cast<const FakeHeld&>(held).name + " " +
                    std::to_string(limit));
    return waitResult;
  }
  void Sleep(unsigned long ms) override { calls.push_back("sleep " + std::to_string(ms)); }

  std::vector<std::string> calls;
  int launchResult = 0;
  int waitResult = 0;
  bool holdOnLaunch = true;
};

class AutoExec : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    settings.ExecuteSequence = 0;
    settings.ExecutionDelay = 0;
    settings.AutoKillMethod = 0;
  }
  bw::Executant* Add(const std::string& program, const std::string& arguments = "") {
    auto* e = new bw::Executant;
    e->properties.Append("ExecutionFileName", program);
    e->properties.Append("ExecutionArguments", arguments);
    e->CompleteRecord();
    e->ParseValues();
    if (!settings.autoExecHead)
      settings.autoExecHead = e;
    else
      settings.autoExecHead->InsertBefore(e);
    return e;
  }
  void Run() {
    apps.RunAutoExecSequence([](const std::string& t) { return "<" + t + ">"; });
  }

  FakeLauncher fake;
  bw::AncestryPop3Controller settings;
  bw::AutoExecApplications apps{settings, fake};
};

TEST_F(AutoExec, NoApplicationsDoesNothing) {
  settings.ExecuteSequence = 1;
  Run();
  apps.TerminateAutoExecApplications();
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(LogText(), "");
}

TEST_F(AutoExec, PlainLaunchesWithDelayAfterTheSecondAndArgumentsPutBack) {
  bw::Executant* a = Add("a.exe", "$(NR)");
  Add("b.exe");
  Add("c.exe", "x");
  settings.ExecutionDelay = 250;
  Run();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{
                            "launch a.exe [<$(NR)>] once=", "launch b.exe [<>] once=",
                            "sleep 250", "launch c.exe [<x>] once=", "sleep 250"}));
  EXPECT_EQ(a->ExecutionArguments, "$(NR)");
  EXPECT_EQ(a->NextExecutant()->NextExecutant()->ExecutionArguments, "x");
  EXPECT_EQ(LogText(), bw_test::Crlf("連続起動ﾃﾞｨﾚｲ[250 ms]\n連続起動ﾃﾞｨﾚｲ[250 ms]\n"));
}

TEST_F(AutoExec, ZeroDelayWithoutSequenceNeitherSleepsNorLogs) {
  Add("a.exe");
  Add("b.exe");
  Run();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"launch a.exe [<>] once=",
                                                  "launch b.exe [<>] once="}));
  EXPECT_EQ(LogText(), "");
}

TEST_F(AutoExec, SequenceWaitsForThePredecessorAfterLaunchingTheNext) {
  Add("a.exe");
  Add("b.exe");
  Add("c.exe");
  settings.ExecuteSequence = 1;
  settings.ExecutionDelay = 0;
  fake.waitResult = 0;
  Run();
  EXPECT_EQ(fake.calls,
            (std::vector<std::string>{"launch a.exe [<>] keep once=", "launch b.exe [<>] keep once=",
                                      "wait a.exe 4294967295", "launch c.exe [<>] keep once=",
                                      "wait b.exe 4294967295"}));
  EXPECT_EQ(LogText(), bw_test::Crlf("ｼｰｹﾝｽ実行 : ﾌﾟﾛｾｽ終了待ち...終了検知.\n"
                                     "ｼｰｹﾝｽ実行 : ﾌﾟﾛｾｽ終了待ち...終了検知.\n"));
}

TEST_F(AutoExec, SequenceLogsTimeOutAndNoHandleAsEnded) {
  Add("a.exe");
  Add("b.exe");
  Add("c.exe");
  settings.ExecuteSequence = 1;
  settings.ExecutionDelay = 700;
  fake.waitResult = 1;
  Run();
  EXPECT_EQ(fake.calls[2], "wait a.exe 700");
  EXPECT_EQ(LogText(), bw_test::Crlf("ｼｰｹﾝｽ実行 : ﾌﾟﾛｾｽ終了待ち...ﾀｲﾑｱｳﾄ[700 ms].\n"
                                     "ｼｰｹﾝｽ実行 : ﾌﾟﾛｾｽ終了待ち...ﾀｲﾑｱｳﾄ[700 ms].\n"));
  // A predecessor that holds no process (start failed or not kept) is ended;
  // a new start lets go of what the last one held.
  EXPECT_TRUE(apps.Holds(0));
  fake.calls.clear();
  fake.holdOnLaunch = false;
  StartLog();
  Run();
  EXPECT_FALSE(apps.Holds(0));
  EXPECT_EQ(LogText(), bw_test::Crlf("ｼｰｹﾝｽ実行 : 終了済.\nｼｰｹﾝｽ実行 : 終了済.\n"));
}

TEST_F(AutoExec, RestartBitKillsBeforeEachLaunchWithTheMethodBitsOnly) {
  Add("a.exe");
  Add("b.exe");
  settings.AutoKillMethod = 0x0072;
  Run();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"kill a.exe 2", "launch a.exe [<>] keep once=",
                                                  "kill b.exe 2", "launch b.exe [<>] keep once="}));
  fake.calls.clear();
  settings.AutoKillMethod = 0x0025;
  Run();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"launch a.exe [<>] keep once=",
                                                  "launch b.exe [<>] keep once="}));
  fake.calls.clear();
  apps.TerminateAutoExecApplications();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"kill a.exe 5", "kill b.exe 5"}));
}

TEST_F(AutoExec, KeepingHandleSkipsTheDoubleStartCheckAndWritesOneBack) {
  bw::Executant* a = Add("a.exe");
  a->properties.SetOrAppend("ExecutionInitialOnce", "7");
  bw::Executant* b = Add("b.exe");
  b->properties.SetOrAppend("ExecutionInitialOnce", "0");
  settings.ExecuteSequence = 1;
  fake.launchResult = -1;  // a failed start changes nothing of this
  Run();
  EXPECT_EQ(fake.calls[0], "launch a.exe [<>] keep once=0");
  EXPECT_EQ(fake.calls[1], "launch b.exe [<>] keep once=0");
  EXPECT_EQ(a->properties.FindValue("ExecutionInitialOnce"), "1");
  EXPECT_EQ(b->properties.FindValue("ExecutionInitialOnce"), "0");
}

}  // namespace
