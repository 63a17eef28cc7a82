// The fixture of the Knobset end-to-end suites: each test starts Knobset in
// a scratch folder of its own (dir) and keeps its main window (main, null
// when it never came). Knobset is ended with the test if still running.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "configurator/ids/knobset_ids.h"
#include "configurator/ids/main_window_ids.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/driver.h"
#include "tests/win32/knobset_driver.h"

namespace bw_test {

constexpr char kMainTitle[] = "Bellwick Configration";

class KnobsetTest : public ::testing::Test {
 protected:
  // Writes `file` as Bellwick.ini in a fresh folder and starts Knobset there.
  KnobsetProcess& Open(const std::string& folder, const std::string& file,
                       const std::string& arguments = "-p Bellwick.ini") {
    dir = MakeScratchFolder(folder);
    WriteFileBytes(dir + "\\Bellwick.ini", file);
    process_ = std::make_unique<KnobsetProcess>(arguments, dir);
    main = process_->WaitForDialog(kMainTitle);
    return *process_;
  }

  // Starts Knobset on the missing file `name` in a fresh folder and gets
  // past the first-use notes.
  KnobsetProcess& OpenNew(const std::string& folder, const std::string& name) {
    dir = MakeScratchFolder(folder);
    process_ = std::make_unique<KnobsetProcess>("-p " + name, dir);
    if (HWND notes = process_->WaitForDialog("初めてご利用になる方へ")) {
      PressButton(notes, IDOK);
      main = process_->WaitForDialog(kMainTitle);
    }
    return *process_;
  }

  // Clicks `tab` of the main window, presses `button` and waits for the
  // dialog titled `title`.
  HWND OpenFromTab(int tab, int button, const char* title) {
    process_->ClickTab(FindControl(main, IDC_TABS), tab);
    // The tab's buttons are enabled when its page is shown; a slow machine
    // takes its time.
    WaitFor([&] { return ControlEnabled(main, button); }, 10000);
    PressButton(main, button);
    return process_->WaitForDialog(title);
  }

  // Saves with Ctrl+S's command and returns the file saved.
  std::string SaveAndRead() {
    const std::string path = dir + "\\Bellwick.ini";
    const std::wstring wide = bw::Wide(path);
    DeleteFileW(wide.c_str());
    PickCommand(main, IDM_SAVE);
    WaitFor([&] { return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    Sleep(300);
    return ReadFileBytes(path);
  }

  // Esc on the main window with nothing unsaved: Knobset ends unasked.
  void ExitUnasked() {
    PressButton(main, IDCANCEL);
    EXPECT_TRUE(process_->WaitForExit(10000));
  }

  std::string dir;
  HWND main = nullptr;

 private:
  std::unique_ptr<KnobsetProcess> process_;
};

}  // namespace bw_test
