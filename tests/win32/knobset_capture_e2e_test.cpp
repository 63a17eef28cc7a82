// Knobset's capture of running applications end to end: a program of our
// own with two top-level windows is captured in bulk (once per program with
// "ﾘｽﾄに登録済みｱﾌﾟﾘは無視する", once per window without) and by pointing
// at one of its child controls with the mouse.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "configurator/ids/capture_dialog_ids.h"
#include "configurator/ids/main_window_ids.h"
#include "tests/win32/driver.h"
#include "tests/win32/knobset_driver.h"
#include "tests/win32/knobset_fixture.h"

namespace {

using namespace bw_test;

const char kCaptureTitle[] = "実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ";
const char kTargetProgram[] = "bw_capture_target.exe";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string AccountFile() {
  return ";Bellwick\r\nFileVersion\t0x0110\r\nLogFileName\tBellwick.log\r\nLogFileLimit\t100\r\n"
         "AncestryPop3Controller::RingListClass\t{\r\n"
         "\tAncestryPop3Checker::RingListClass\t{\r\n\t\tConnectionName\tFirst\r\n"
         "\t\tHostName\t127.0.0.1\r\n\t\tServiceName\t110\r\n\t\tUserID\tu\r\n\t\tPassword\tp\r\n"
         "\t}\r\n}\r\n--EOF--\r\n";
}

// The target program, ended with its windows when the test is done.
class CaptureTarget {
 public:
  CaptureTarget() {
    const std::string path = TargetBinFolder() + "\\" + kTargetProgram;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi_)) {
      CloseHandle(pi_.hThread);
      // The first program a fresh Wine prefix starts can take well over
      // ten seconds to show its windows.
      WaitForInputIdle(pi_.hProcess, 30000);
      WaitFor([&] { return Window(1) != nullptr && Window(2) != nullptr; }, 30000);
    }
  }
  ~CaptureTarget() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
  }
  HWND Window(int n) const {
    HWND w = FindWindowA("bw capture target", ("capture target " + std::to_string(n)).c_str());
    return w && IsWindowVisible(w) ? w : nullptr;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// Rows of the list whose module column is the target program.
int TargetRows(const KnobsetProcess& knobset, HWND list, int moduleColumn) {
  int rows = 0;
  for (int i = 0; i < knobset.ListRowCount(list); ++i)
    if (Lower(knobset.ListCell(list, i, moduleColumn)) == kTargetProgram) ++rows;
  return rows;
}

class KnobsetCaptureE2eTest : public KnobsetTest {
 protected:
  // Opens the capture dialog on `tab`, sets "ﾘｽﾄに登録済みｱﾌﾟﾘは無視する"
  // and captures in bulk; returns the merge message.
  std::string BulkCapture(const KnobsetProcess& knobset, int tab, bool skipListed) {
    HWND capture = OpenFromTab(tab, IDC_CAPTURE, kCaptureTitle);
    if (!capture) return "no capture dialog";
    if (IsChecked(capture, IDC_CAP_SKIP_LISTED) != skipListed)
      ClickControl(capture, IDC_CAP_SKIP_LISTED);
    WaitFor([&] { return IsChecked(capture, IDC_CAP_SKIP_LISTED) == skipListed; }, 3000);
    PressButton(capture, IDC_CAP_BULK);
    SeenBox box;
    if (!knobset.AnswerBox(IDOK, &box)) return "no message";
    return box.text;
  }

  // Starts a mouse pick on the auto-exec tab in replace mode.
  bool StartPick() {
    HWND capture = OpenFromTab(2, IDC_CAPTURE, kCaptureTitle);
    if (!capture) return false;
    ClickControl(capture, IDC_CAP_REPLACE);
    WaitFor([&] { return !ControlEnabled(capture, IDC_CAP_SKIP_LISTED); }, 3000);
    PressButton(capture, IDC_CAP_MOUSE);
    return WaitFor([&] { return !IsWindow(capture) && !IsWindowVisible(main); }, 5000);
  }
};

TEST_F(KnobsetCaptureE2eTest, BulkCaptureTakesOneRecordPerProgramWhenListedOnesAreSkippedElseOnePerWindow) {
  CaptureTarget target;
  ASSERT_NE(target.Window(1), nullptr);
  KnobsetProcess& knobset = Open("knobset-capture-bulk", AccountFile());
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_LIST);

  // The capture dialog opens with the default options.
  HWND capture = OpenFromTab(1, IDC_CAPTURE, kCaptureTitle);
  ASSERT_NE(capture, nullptr);
  EXPECT_TRUE(IsChecked(capture, IDC_CAP_KEEP));
  EXPECT_TRUE(IsChecked(capture, IDC_CAP_SKIP_LISTED));
  EXPECT_TRUE(IsChecked(capture, IDC_CAP_SKIP_SELF));
  EXPECT_TRUE(IsChecked(capture, IDC_CAP_SIZE));
  EXPECT_FALSE(IsChecked(capture, IDC_CAP_PRIORITY));
  EXPECT_FALSE(IsChecked(capture, IDC_CAP_UNTITLED));
  ClickControl(capture, IDC_CAP_REPLACE);
  EXPECT_TRUE(WaitFor([&] { return !ControlEnabled(capture, IDC_CAP_SKIP_LISTED); }, 3000));
  PressButton(capture, IDC_CAP_DEFAULT);
  EXPECT_TRUE(WaitFor([&] { return ControlEnabled(capture, IDC_CAP_SKIP_LISTED); }, 3000));
  PressButton(capture, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(capture); }, 5000));

  const std::string message = BulkCapture(knobset, 1, true);
  EXPECT_NE(message.find("件取り込みました."), std::string::npos) << message;
  EXPECT_EQ(TargetRows(knobset, list, 1), 1);
  // Knobset itself is never among them.
  for (int i = 0; i < knobset.ListRowCount(list); ++i)
    EXPECT_NE(Lower(knobset.ListCell(list, i, 1)), "knobset.exe");

  BulkCapture(knobset, 2, false);
  EXPECT_EQ(TargetRows(knobset, list, 0), 2);

  // Everything captured again is in the list already.
  const std::string again = BulkCapture(knobset, 2, true);
  EXPECT_EQ(TargetRows(knobset, list, 0), 2);
  EXPECT_EQ(again.rfind("既にﾘｽﾄに登録済みのモジュールですので、", 0), 0u) << again;

  PressButton(main, IDCANCEL);
  knobset.AnswerBox(IDNO);
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

// The click of a pick: the cursor is put on the point and the button
// message handed to the window holding the mouse capture, as the system
// does for a hand's click. (Under Wine, input injected by another program
// does not reach a capture held by a hidden window, so the test delivers
// the button message itself; where the click lands is still read from the
// real cursor.)
void Click(HWND main, int x, int y, bool right) {
  SetCursorPos(x, y);
  Sleep(200);
  PostMessageA(main, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, 0);
}

TEST_F(KnobsetCaptureE2eTest, MousePickOnAChildControlCapturesItsTopLevelWindowAndRightClickCancels) {
  CaptureTarget target;
  HWND first = target.Window(1);
  ASSERT_NE(first, nullptr);
  KnobsetProcess& knobset = Open("knobset-capture-pick", AccountFile());
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_LIST);

  HWND button = FindWindowExA(first, nullptr, "Button", nullptr);
  ASSERT_NE(button, nullptr);
  RECT r{};
  GetWindowRect(button, &r);
  // Right button: nothing captured, the window comes back.
  ASSERT_TRUE(StartPick());
  Click(main, r.left + 10, r.top + 10, true);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  EXPECT_TRUE(knobset.NoBoxWithin(1000));
  EXPECT_EQ(knobset.ListRowCount(list), 0);

  // Left button on the child control: its top-level window is captured.
  ASSERT_TRUE(StartPick());
  Click(main, r.left + 10, r.top + 10, false);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  ASSERT_TRUE(WaitFor([&] { return knobset.ListRowCount(list) == 1; }, 5000));
  EXPECT_EQ(Lower(knobset.ListCell(list, 0, 0)), kTargetProgram);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(first, &placement);
  EXPECT_EQ(knobset.ListCell(list, 0, 3), std::to_string(placement.rcNormalPosition.left) + "," +
                                              std::to_string(placement.rcNormalPosition.top));
  RECT outer{};
  GetWindowRect(first, &outer);
  EXPECT_EQ(knobset.ListCell(list, 0, 4), std::to_string(outer.right - outer.left) + "X" +
                                              std::to_string(outer.bottom - outer.top));
  // Replace mode says nothing.
  EXPECT_TRUE(knobset.NoBoxWithin(1000));

  PressButton(main, IDCANCEL);
  knobset.AnswerBox(IDNO);
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

}  // namespace
