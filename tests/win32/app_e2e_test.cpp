// Bellwick.exe from start to end as a user meets it, driven through its
// window: the face, the log, the menu commands, burying, the exit question,
// WM_CLOSE from another instance and the geometry written back.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "checker/win32/bellwick_ids.h"
#include "checker/win32/emergency_dialog_ids.h"
#include "checker/win32/status_dialog_ids.h"
#include "common/win32/help_topic.h"
#include "common/win32/program_names.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/driver.h"
#include "tests/win32/knobset_driver.h"

namespace {

using bw_test::ReadFileBytes;
using bw_test::WaitFor;
using bw_test::WriteFileBytes;

// One account in simulation mode needs no server; the refused one talks to
// a loopback port nobody listens on.
std::string ParameterFile(const std::string& account, const std::string& settings) {
  return "LogFileName\tBellwick.log\r\nLogFileLimit\t100\r\n"
         "AncestryPop3Controller::RingListClass\t{\r\n\tWindowPosition\t40,50\r\n"
         "\tWindowSize\t140,60\r\n\tAnimateTimer\t0\r\n" + settings +
         "\tAncestryPop3Checker::RingListClass\t{\r\n" + account + "\t}\r\n}\r\n--EOF--\r\n";
}
const char kDemoAccount[] =
    "\t\tConnectionName\tDemo\r\n\t\tHostName\t127.0.0.1\r\n\t\tServiceName\t1\r\n"
    "\t\tUserID\tu\r\n\t\tPassword\tp\r\n\t\tTOofConnect_Sec\t2\r\n";

std::string Text(HWND window) { return bw_test::WindowText(window); }

struct BoxSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<BoxSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[32];
  if (pid == s->pid && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) &&
      std::string(cls) == "#32770") {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindBoxOf(DWORD processId) {
  BoxSearch search{processId, nullptr};
  EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A running Bellwick.exe in a scratch folder; terminated if a test leaves it.
class Checker {
 public:
  Checker(const std::string& dir, const std::string& arguments) {
    std::string line = "\"" + bw_test::BinFolder() + "\\" + bw::kCheckerProgram + "\" " + arguments;
    started = bw_test::StartProcess(line, dir, &info);
    if (!started) return;
    CloseHandle(info.hThread);
    WaitFor([this] {
      window = FindWindowA(bw::kCheckerClassName, nullptr);
      DWORD pid = 0;
      if (window) GetWindowThreadProcessId(window, &pid);
      return window && pid == info.dwProcessId;
    });
  }
  ~Checker() {
    if (!started) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 9);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
  }
  bool Ended(DWORD timeoutMs = 15000) {
    return WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  void Command(int id) { PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // Waits for a message box of this checker, records its text, answers it.
  std::string AnswerBox(int answer) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindBoxOf(info.dwProcessId)) != nullptr; });
    if (!box) return "(no box)";
    Sleep(150);
    std::string text = bw_test::ReadBox(box).text;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    return text;
  }

  bool started = false;
  PROCESS_INFORMATION info{};
  HWND window = nullptr;
};

class CheckerApp : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = bw_test::MakeScratchFolder(
        std::string("app-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string File(const std::string& name) const { return dir + "\\" + name; }
  std::string Log() const { return ReadFileBytes(File("Bellwick.log")); }
  std::string dir;
};

TEST_F(CheckerApp, FaceGoesFromWaitingToTimeAndCountAndLogRunsStartToEnd) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, "\tInitSleep_Sec\t2\r\n"));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  EXPECT_TRUE(WaitFor([&] { return Text(checker.window) == "待機中"; })) << Text(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=") != std::string::npos; }));
  const std::string face = Text(checker.window);
  const std::string prefix = "\r\n未読数=";
  ASSERT_GT(face.size(), 5 + prefix.size()) << face;
  EXPECT_TRUE(isdigit(face[0]) && isdigit(face[1]) && face[2] == ':' && isdigit(face[3]) &&
              isdigit(face[4]))
      << face;
  EXPECT_EQ(face.substr(5, prefix.size()), prefix);
  EXPECT_EQ(face.find_first_not_of("0123456789", 5 + prefix.size()), std::string::npos) << face;

  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(checker.Ended());
  EXPECT_EQ(checker.ExitCode(), 0u);
  const std::string log = Log();
  EXPECT_EQ(log.rfind("Bellwick Starting : ", 0), 0u) << log;
  EXPECT_NE(log.find("--- [Demo] --- "), std::string::npos);
  EXPECT_NE(log.find("WM_CLOSE Detected.\r\n"), std::string::npos);
  const std::string end = "--- Program End Code=0 ---\r\n";
  ASSERT_GE(log.size(), end.size());
  EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

TEST_F(CheckerApp, WmCloseEndsWithoutRewritingTheParameterFile) {
  const std::string file = ParameterFile(kDemoAccount, "");
  WriteFileBytes(File("b.ini"), file);
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  SetWindowPos(checker.window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(checker.Ended());
  EXPECT_EQ(ReadFileBytes(File("b.ini")), file);
}

TEST_F(CheckerApp, ExitQuestionAnsweredNoKeepsRunningYesWritesGeometryBack) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  checker.Command(IDM_EXIT);
  EXPECT_EQ(checker.AnswerBox(IDNO), "Bellwickを終了しますか?");
  EXPECT_FALSE(checker.Ended(1500));

  SetWindowPos(checker.window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  checker.Command(IDM_EXIT);
  checker.AnswerBox(IDYES);
  ASSERT_TRUE(checker.Ended());
  const std::string file = ReadFileBytes(File("b.ini"));
  EXPECT_NE(file.find("\tWindowPosition\t300,200\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\tAnimateTimer\t0\r\n"), std::string::npos);
}

TEST_F(CheckerApp, SecondInstanceWithXClosesTheFirstAndDashD1Refuses) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker first(dir, "-s -p b.ini");
  ASSERT_TRUE(first.window);
  bw_test::RunResult refused =
      bw_test::RunAnsweringBoxes("\"" + bw_test::BinFolder() + "\\" + bw::kCheckerProgram + "\" -d 1 -p b.ini", dir);
  ASSERT_EQ(refused.boxes.size(), 1u);
  EXPECT_EQ(refused.boxes[0].text, "既に起動されています.");
  EXPECT_FALSE(first.Ended(0));

  Checker second(dir, "-x -s -p b.ini");
  EXPECT_TRUE(first.Ended());
  ASSERT_TRUE(second.window);
  SendMessageA(second.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(second.Ended());
}

TEST_F(CheckerApp, BuryCutsTheMiddleAwayAndAClickOnTheRimRestores) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(checker.window, region), ERROR);
  checker.Command(IDM_BURY);
  ASSERT_TRUE(WaitFor([&] { return GetWindowRgn(checker.window, region) == COMPLEXREGION; }));
  RECT window;
  GetWindowRect(checker.window, &window);
  const int cx = (window.right - window.left) / 2, cy = (window.bottom - window.top) / 2;
  EXPECT_FALSE(PtInRegion(region, cx, cy));
  EXPECT_TRUE(PtInRegion(region, 0, cy));

  SendMessageA(checker.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(checker.window),
               MAKELPARAM(HTCLIENT, WM_MBUTTONDOWN));
  EXPECT_EQ(GetWindowRgn(checker.window, region), ERROR);
  DeleteObject(region);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

TEST_F(CheckerApp, AnimatedBuryRunsItsOwnTimersToTheHollowFrame) {
  std::string file = ParameterFile(kDemoAccount, "");
  file.replace(file.find("\tAnimateTimer\t0"), 15, "\tAnimateTimer\t20");
  WriteFileBytes(File("b.ini"), file);
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  RECT window;
  GetWindowRect(checker.window, &window);
  const int cx = (window.right - window.left) / 2, cy = (window.bottom - window.top) / 2;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  checker.Command(IDM_BURY);
  // The ellipse steps keep the middle; only the frame at the end cuts it away.
  EXPECT_TRUE(WaitFor([&] {
    return GetWindowRgn(checker.window, region) != ERROR && !PtInRegion(region, cx, cy) &&
           PtInRegion(region, 0, cy);
  }));
  DeleteObject(region);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// Check now is logged and checks again; reset and the emergency choice log
// nothing of their own, so their faces show them: reset forgets the last
// check, emergency mode marks the face.
TEST_F(CheckerApp, CheckNowLogsAndChecksResetForgetsTheCheckEmergencyMarksTheFace) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Log().find("--- [Demo] --- ") != std::string::npos; }));
  checker.Command(IDM_CHECK_NOW);
  ASSERT_TRUE(WaitFor([&] {
    const std::string log = Log();
    return log.find("--- [Demo] --- ") != log.rfind("--- [Demo] --- ");
  }));
  EXPECT_NE(Log().find("今すぐ更新開始.\r\n"), std::string::npos) << Log();
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=") != std::string::npos; }));

  checker.Command(IDM_RESET_ERRORS);
  EXPECT_TRUE(WaitFor([&] { return Text(checker.window) == "待機中"; })) << Text(checker.window);

  checker.Command(IDM_EMERGENCY);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindBoxOf(checker.info.dwProcessId)) != nullptr; }));
  HWND list = GetDlgItem(dialog, IDC_EMERGENCY_LIST);
  // Item texts do not cross the process boundary under every system; their
  // count and length do (" 1 Demo").
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 0, 0), 7);
  SendMessageA(list, LB_SETSEL, TRUE, 0);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("緊急") != std::string::npos; }))
      << Text(checker.window);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

TEST_F(CheckerApp, RefusedAccountSuspendsAndTheFaceSaysStopped) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  EXPECT_TRUE(WaitFor([&] { return Text(checker.window) == "停止"; })) << Text(checker.window);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

std::string ServerAccount(int port) {
  return "\t\tConnectionName\tTiny\r\n\t\tHostName\t127.0.0.1\r\n\t\tServiceName\t" +
         std::to_string(port) +
         "\r\n\t\tUserID\tu\r\n\t\tPassword\tp\r\n\t\tTOofConnect_Sec\t2\r\n"
         "\t\tTOofSendRecv_Sec\t2\r\n";
}

DWORD ProcessOfWindowTitled(const char* title) {
  HWND window = nullptr;
  const std::wstring wide = bw::Wide(title);
  WaitFor([&] { return (window = FindWindowW(nullptr, wide.c_str())) != nullptr; }, 10000);
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  return pid;
}

bool ProcessEnds(DWORD pid, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (!process) return true;
  bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 0);
  CloseHandle(process);
  return ended;
}

TEST_F(CheckerApp, MailStartsTheAutoExecAppAfterTheSweepAndAnEmptyMailboxEndsIt) {
  bw_test::TinyPop3Server server(2);
  const std::string probe = bw_test::TargetBinFolder() + "\\bw_probe_app.exe";
  WriteFileBytes(File("b.ini"),
                 ParameterFile(ServerAccount(server.Port()),
                               "\tConsecutive_Sec\t2\r\n"
                               "\tExecutant::RingListClass\t{\r\n\t\tExecutionFileName\t" + probe +
                                   "\r\n\t\tExecutionArguments\t-w -e 60000\r\n"
                                   "\t\tExecutionInputTO\t0\r\n\t}\r\n"));
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Log().find("Success.") != std::string::npos; })) << Log();
  std::string log = Log();
  const size_t held = log.find("連続起動 自動実行ｱﾌﾟﾘ実行保留.");
  const size_t released = log.find("自動実行ｱﾌﾟﾘ　実行保留解除");
  const size_t started = log.find("CreatePrcess(");
  EXPECT_NE(held, std::string::npos) << log;
  EXPECT_LT(held, released);
  EXPECT_LT(released, started);
  EXPECT_EQ(Text(checker.window).substr(5), "\r\n未読数=2");

  const DWORD probePid = ProcessOfWindowTitled("bw probe");
  ASSERT_NE(probePid, 0u);
  server.SetMessages(0);
  checker.Command(IDM_CHECK_NOW);
  EXPECT_TRUE(ProcessEnds(probePid, 15000)) << Log();
  EXPECT_TRUE(WaitFor([&] { return Text(checker.window).substr(5) == "\r\n未読数=0"; }))
      << Text(checker.window);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// Faults: the sleep notices are not heeded (no check until the next
// cycle), or a connect refused right after the wake-up suspends the account
// (the face says 停止 and the count never comes back).
TEST_F(CheckerApp, WakeUpWithTheServerAwayAFewSecondsRetriesUntilItAnswers) {
  auto server = std::make_unique<bw_test::TinyPop3Server>(2);
  const int port = server->Port();
  WriteFileBytes(File("b.ini"), ParameterFile(ServerAccount(port), "\tInitSleep_Sec\t1\r\n"));
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).substr(5) == "\r\n未読数=2"; })) << Log();
  server.reset();
  SendMessageA(checker.window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  SendMessageA(checker.window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  SendMessageA(checker.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  bool stopped = false;
  ASSERT_TRUE(WaitFor([&] {
    stopped = stopped || Text(checker.window) == "停止";
    return Log().find("(ｽﾘｰﾌﾟ復帰直後)") != std::string::npos;
  })) << Log();
  server = std::make_unique<bw_test::TinyPop3Server>(3, port);
  EXPECT_TRUE(WaitFor([&] {
    stopped = stopped || Text(checker.window) == "停止";
    return Text(checker.window).substr(5) == "\r\n未読数=3";
  })) << Text(checker.window) << Log();
  EXPECT_FALSE(stopped);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// Faults: the end of the session asks the exit question, or leaves the
// geometry and the end line to a message loop Windows never lets finish.
TEST_F(CheckerApp, EndOfTheSessionWritesTheGeometryAndTheEndLineBeforeItReturns) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  SetWindowPos(checker.window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(SendMessageA(checker.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(checker.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  const std::string file = ReadFileBytes(File("b.ini"));
  EXPECT_NE(file.find("\tWindowPosition\t300,200\r\n"), std::string::npos) << file;
  const std::string log = Log();
  const std::string end = "--- Program End Code=0 ---\r\n";
  ASSERT_GE(log.size(), end.size());
  EXPECT_EQ(log.substr(log.size() - end.size()), end);
  ASSERT_TRUE(checker.Ended());
  EXPECT_EQ(checker.ExitCode(), 0u);
  EXPECT_EQ(Log(), log);  // ended once
}

TEST_F(CheckerApp, TinyWindowSizeBecomes32AndClicksWaitWhileADialogIsOpen) {
  std::string file = ParameterFile(kDemoAccount, "");
  file.replace(file.find("140,60"), 6, "10,10");
  WriteFileBytes(File("b.ini"), file);
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  RECT r;
  GetWindowRect(checker.window, &r);
  EXPECT_EQ(r.right - r.left, 32);
  EXPECT_EQ(r.bottom - r.top, 32);

  HRGN region = CreateRectRgn(0, 0, 0, 0);
  checker.Command(IDM_BURY);
  ASSERT_TRUE(WaitFor([&] { return GetWindowRgn(checker.window, region) != ERROR; }));
  checker.Command(IDM_STATUS);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindBoxOf(checker.info.dwProcessId)) != nullptr; }));
  SendMessageA(checker.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(checker.window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_NE(GetWindowRgn(checker.window, region), ERROR) << "a click went through the dialog";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  SendMessageA(checker.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(checker.window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetWindowRgn(checker.window, region), ERROR);
  DeleteObject(region);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// The ﾍﾙﾌﾟ buttons of the status and emergency dialogs ask for their own
// places in the help. No help file is beside the test build, so the request
// ends in the missing-file box after the page was asked for; the viewer's
// blank pane under Wine tells nothing, the page kept on the dialog does.
TEST_F(CheckerApp, StatusAndEmergencyDialogsAskForTheirOwnHelpPages) {
  WriteFileBytes(File("b.ini"), ParameterFile(kDemoAccount, ""));
  Checker checker(dir, "-s -p b.ini");
  ASSERT_TRUE(checker.window);
  const struct {
    int command;
    const char* page;
  } dialogs[] = {{IDM_STATUS, "bellwick-button.html#status-dialog"}, {IDM_EMERGENCY, "bellwick-button.html#emergency"}};
  for (const auto& d : dialogs) {
    checker.Command(d.command);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindBoxOf(checker.info.dwProcessId)) != nullptr; }));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "HELP Error")) != nullptr; })) << d.page;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    const HANDLE kept = GetPropW(dialog, bw::kHelpTopicProperty);
    char page[256] = {};
    if (kept) GlobalGetAtomNameA(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(kept)), page, sizeof page);
    EXPECT_STREQ(page, d.page);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  }
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

TEST_F(CheckerApp, RealServerLogsInAndTheFaceShowsTheMailboxCount) {
  const char* dovecot = std::getenv("BW_DOVECOT_DIR");
  if (!dovecot) GTEST_SKIP() << "no private Dovecot in this run";
  const std::string port =
      ReadFileBytes(std::string(dovecot[0] == '/' ? "Z:" : "") + dovecot + "/port");
  ASSERT_FALSE(port.empty());
  WriteFileBytes(File("b.ini"),
                 ParameterFile("\t\tConnectionName\tDovecot\r\n\t\tHostName\t127.0.0.1\r\n"
                               "\t\tServiceName\t" + std::to_string(std::atoi(port.c_str())) +
                                   "\r\n\t\tUserID\talice\r\n\t\tPassword\tsecret\r\n"
                                   "\t\tUseUIDL\t1\r\n\t\tTOofConnect_Sec\t5\r\n"
                                   "\t\tTOofSendRecv_Sec\t5\r\n",
                               ""));
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=") != std::string::npos; }))
      << Text(checker.window) << Log();
  const std::string log = Log();
  EXPECT_NE(log.find("POP3 <- APOP alice "), std::string::npos) << log;
  EXPECT_NE(log.find("POP3 -> +OK Logged in."), std::string::npos) << log;
  EXPECT_NE(log.find("POP3 <- UIDL"), std::string::npos) << log;
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// Memory in another process for the W messages whose structures hold
// pointers (list-view cells, tooltip texts).
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size) : process_(process) {
    base_ = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  char* At(size_t offset = 0) const { return base_ + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  std::u16string Text(size_t offset, size_t chars) const {
    std::u16string text(chars, u'\0');
    ReadProcessMemory(process_, At(offset), &text[0], chars * 2, nullptr);
    return text.substr(0, text.find(u'\0'));
  }

 private:
  HANDLE process_;
  char* base_ = nullptr;
};

std::u16string ListCell(HANDLE process, HWND list, int row, int column) {
  RemoteBuffer remote(process, 4096);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote.At(512));
  item.cchTextMax = 1024;
  remote.Write(0, &item, sizeof item);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At()));
  return remote.Text(512, 1024);
}

struct TooltipSearch {
  DWORD pid;
  HWND owner, found;
};

BOOL CALLBACK FindTooltipProc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TooltipSearch*>(p);
  DWORD id = 0;
  GetWindowThreadProcessId(w, &id);
  wchar_t cls[64] = L"";
  GetClassNameW(w, cls, 64);
  if (id == s->pid && GetWindow(w, GW_OWNER) == s->owner && std::wstring(cls) == TOOLTIPS_CLASSW) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// The text of the tooltip `owner` carries for itself.
std::u16string TooltipText(HANDLE process, DWORD pid, HWND owner) {
  TooltipSearch search{pid, owner, nullptr};
  EnumWindows(FindTooltipProc,
      reinterpret_cast<LPARAM>(&search));
  if (!search.found) return u"(no tooltip)";
  RemoteBuffer remote(process, 8192);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(owner);
  tool.lpszText = reinterpret_cast<wchar_t*>(remote.At(1024));
  remote.Write(0, &tool, sizeof tool);
  SendMessageW(search.found, TTM_GETTEXTW, 2048, reinterpret_cast<LPARAM>(remote.At()));
  return remote.Text(1024, 2048);
}

// A stand-in for the shell's notification area: a window of its class on a
// thread of its own that keeps what Shell_NotifyIconW hands it.
class FakeTray {
 public:
  FakeTray() {
    InitializeCriticalSection(&lock_);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Thread, this, 0, &threadId_);
    WaitForSingleObject(ready_, 10000);
  }
  ~FakeTray() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
  }
  FakeTray(const FakeTray&) = delete;
  FakeTray& operator=(const FakeTray&) = delete;
  // Whether everything handed over so far holds `text` (UTF-16).
  bool Holds(const std::u16string& text) {
    const std::string wanted(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    EnterCriticalSection(&lock_);
    const bool found = received_.find(wanted) != std::string::npos;
    LeaveCriticalSection(&lock_);
    return found;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_COPYDATA) return DefWindowProcW(w, m, wp, lp);
    auto* self = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    const auto* copied = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    EnterCriticalSection(&self->lock_);
    self->received_.append(static_cast<const char*>(copied->lpData), copied->cbData);
    LeaveCriticalSection(&self->lock_);
    return TRUE;
  }
  static DWORD WINAPI Thread(void* p) {
    auto* self = static_cast<FakeTray*>(p);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before it is ready
    SetEvent(self->ready_);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
    return 0;
  }

  CRITICAL_SECTION lock_;
  std::string received_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
};

// Japanese senders and subjects from the private Dovecot, each encoded as
// real mail encodes them, as the user meets them: the list window's rows
// read back through the W messages (Hangul and an emoji included), the
// button's tooltip, the balloon handed to the notification area, and a
// click on the icon opening the list. Neither the log nor the file holds
// any of them afterwards.
TEST_F(CheckerApp, NewMailShowsInTheListTooltipAndBalloonButNeverInTheLogOrFile) {
  const char* dovecot = std::getenv("BW_DOVECOT_DIR");
  if (!dovecot) GTEST_SKIP() << "no private Dovecot in this run";
  const std::string port =
      ReadFileBytes(std::string(dovecot[0] == '/' ? "Z:" : "") + dovecot + "/port");
  ASSERT_FALSE(port.empty());
  WriteFileBytes(File("b.ini"),
                 ParameterFile("\t\tConnectionName\tDovecot\r\n\t\tHostName\t127.0.0.1\r\n"
                               "\t\tServiceName\t" + std::to_string(std::atoi(port.c_str())) +
                                   "\r\n\t\tUserID\thanako\r\n\t\tPassword\tsecret\r\n"
                                   "\t\tUseUIDL\t1\r\n\t\tTOofConnect_Sec\t5\r\n"
                                   "\t\tTOofSendRecv_Sec\t5\r\n",
                               "\tNotifyNewMail\t1\r\n"));
  const std::string fileBefore = ReadFileBytes(File("b.ini"));
  FakeTray tray;
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=4") != std::string::npos; }))
      << Text(checker.window) << Log();

  const std::u16string newest = u"佐藤花子 - 生の件名テスト\r\n김민준 - 안녕하세요 📬 お知らせ\r\nSuzuki - ～①髙橋さんへ";
  EXPECT_TRUE(WaitFor([&] { return tray.Holds(newest); })) << "no balloon of the newest three";
  EXPECT_TRUE(tray.Holds(u"Dovecot"));
  EXPECT_EQ(TooltipText(checker.info.hProcess, checker.info.dwProcessId, checker.window), newest);

  checker.Command(IDM_NEW_MAIL_LIST);
  HWND frame = nullptr, list = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    frame = FindWindowW(L"BellwickNewMailList", nullptr);
    list = frame ? FindWindowExW(frame, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    return list != nullptr;
  }));
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  const HANDLE process = checker.info.hProcess;
  EXPECT_EQ(ListCell(process, list, 0, 0), u"Dovecot");
  EXPECT_EQ(ListCell(process, list, 0, 1), u"佐藤花子");
  EXPECT_EQ(ListCell(process, list, 0, 2), u"生の件名テスト");
  // (Hangul and the emoji stand outside the macros, whose texts are
  // Shift_JIS.)
  const std::u16string kim = u"김민준", hello = u"안녕하세요 📬 お知らせ";
  EXPECT_EQ(ListCell(process, list, 1, 1), kim);
  EXPECT_EQ(ListCell(process, list, 1, 2), hello);
  EXPECT_EQ(ListCell(process, list, 2, 2), u"～①髙橋さんへ");
  EXPECT_EQ(ListCell(process, list, 3, 1), u"山田太郎");
  EXPECT_EQ(ListCell(process, list, 3, 2), u"①会議の件");
  EXPECT_EQ(ListCell(process, list, 3, 3).size(), 11u);  // MM/DD HH:MM

  // The icon's click opens the list again once it was closed.
  SendMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"BellwickNewMailList", nullptr) == nullptr; }));
  PostMessageW(checker.window, WM_APP + 3, 1, WM_LBUTTONUP);  // the icon's callback message
  EXPECT_TRUE(WaitFor([&] { return FindWindowW(L"BellwickNewMailList", nullptr) != nullptr; }));

  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
  const std::string log = Log();
  EXPECT_NE(log.find("Dovecot : 新着ﾍｯﾀﾞ 4件"), std::string::npos) << log;
  for (const std::string& secret : {std::string("佐藤"), std::string("生の件名"), std::string("山田"),
                                    std::string("会議"), std::string("Suzuki"), std::string("example.jp"),
                                    std::string("\xE4\xBD\x90\xE8\x97\xA4")})  // 佐藤 in UTF-8
    EXPECT_EQ(log.find(secret), std::string::npos) << secret;
  EXPECT_EQ(ReadFileBytes(File("b.ini")), fileBefore);
}

TEST_F(CheckerApp, ImapAccountCountsItsUnseenMessagesBesideAPop3Account) {
  const char* dovecot = std::getenv("BW_DOVECOT_DIR");
  if (!dovecot) GTEST_SKIP() << "no private Dovecot in this run";
  const std::string folder = std::string(dovecot[0] == '/' ? "Z:" : "") + dovecot;
  const int pop3 = std::atoi(ReadFileBytes(folder + "/port").c_str());
  const int imap = std::atoi(ReadFileBytes(folder + "/imap-port").c_str());
  ASSERT_TRUE(pop3 > 0 && imap > 0);
  auto account = [](const char* name, const char* user, int port, const std::string& more) {
    return "\t\tConnectionName\t" + std::string(name) + "\r\n\t\tHostName\t127.0.0.1\r\n"
           "\t\tServiceName\t" + std::to_string(port) + "\r\n\t\tUserID\t" + user +
           "\r\n\t\tPassword\tsecret\r\n\t\tUseUIDL\t1\r\n\t\tTOofConnect_Sec\t5\r\n"
           "\t\tTOofSendRecv_Sec\t5\r\n" + more;
  };
  // alice holds 3 messages; carol 2 unseen in INBOX, 1 in 仕事, none in
  // Archive, beside seen ones that do not count.
  WriteFileBytes(File("b.ini"),
                 ParameterFile(account("Alice", "alice", pop3, "") + "\t}\r\n"
                               "\tAncestryPop3Checker::RingListClass\t{\r\n" +
                                   account("Carol", "carol", imap,
                                           "\t\tProtocol\t1\r\n\t\tImapFolders\tINBOX,仕事,Archive\r\n"),
                               ""));
  Checker checker(dir, "-p b.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=6") != std::string::npos; }))
      << Text(checker.window) << Log();
  checker.Command(IDM_STATUS);
  HWND status = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (status = FindBoxOf(checker.info.dwProcessId)) != nullptr; }));
  const std::string lines = bw_test::ControlText(status, IDC_STATUS_TEXT);
  // Each account's own line: alice's three messages, carol's three unseen.
  EXPECT_NE(lines.find("Alice:"), std::string::npos) << lines;
  EXPECT_NE(lines.find(" 未読数=3(3) [15分周期]"), std::string::npos) << lines;
  const size_t carol = lines.find("Carol:");
  ASSERT_NE(carol, std::string::npos) << lines;
  EXPECT_NE(lines.find(" 未読数=3(3) [15分周期]", carol), std::string::npos) << lines;
  PostMessageA(status, WM_COMMAND, IDCANCEL, 0);
  const std::string log = Log();
  EXPECT_NE(log.find("IMAP <- "), std::string::npos) << log;
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

// Push on the real window: the account idles on the private Dovecot, and a
// message delivered into its INBOX reaches the button's text through the
// window's socket notice, long before any cycle (15 minutes).
TEST_F(CheckerApp, MessageDeliveredWhileIdlingShowsOnTheButtonAtOnce) {
  const char* dovecot = std::getenv("BW_DOVECOT_DIR");
  if (!dovecot) GTEST_SKIP() << "no private Dovecot in this run";
  const std::string folder = std::string(dovecot[0] == '/' ? "Z:" : "") + dovecot;
  const int imap = std::atoi(ReadFileBytes(folder + "/imap-port").c_str());
  ASSERT_GT(imap, 0);
  WriteFileBytes(File("p.ini"), ParameterFile("\t\tConnectionName\tPush\r\n\t\tHostName\t127.0.0.1\r\n"
                                              "\t\tServiceName\t" + std::to_string(imap) +
                                                  "\r\n\t\tUserID\tpush\r\n\t\tPassword\tsecret\r\n"
                                                  "\t\tTOofSendRecv_Sec\t5\r\n\t\tProtocol\t1\r\n",
                                              ""));
  Checker checker(dir, "-p p.ini");
  ASSERT_TRUE(checker.window);
  ASSERT_TRUE(WaitFor([&] { return Log().find("IDLEで待機開始[INBOX]") != std::string::npos; })) << Log();
  ASSERT_TRUE(WaitFor([&] { return Text(checker.window).find("未読数=0") != std::string::npos; }))
      << Text(checker.window);
  // Delivered as into any Maildir: written in tmp, then moved into new.
  const std::string box = folder + "/mail/push/Maildir";
  const std::string name = "wine-push-" + std::to_string(GetTickCount()) + ".M1P1.host";
  WriteFileBytes(box + "/tmp/" + name, "From: test@example\r\nSubject: pushed\r\n\r\nbody\r\n");
  const DWORD start = GetTickCount();
  ASSERT_TRUE(MoveFileA((box + "/tmp/" + name).c_str(), (box + "/new/" + name).c_str()));
  const bool shown = WaitFor([&] { return Text(checker.window).find("未読数=1") != std::string::npos; }, 5000);
  const DWORD latency = GetTickCount() - start;
  DeleteFileA((box + "/new/" + name).c_str());
  DeleteFileA((box + "/cur/" + name).c_str());
  ASSERT_TRUE(shown) << Text(checker.window) << Log();
  std::printf("delivery to the button: %lu ms\n", static_cast<unsigned long>(latency));
  EXPECT_LE(latency, 2000u);
  EXPECT_NE(Log().find("IDLE通知"), std::string::npos);
  SendMessageA(checker.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(checker.Ended());
}

}  // namespace
