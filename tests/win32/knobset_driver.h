// Drives Knobset.exe from a test: starts it, finds its dialogs by title and
// their controls by id, types into edits, presses buttons and menu items,
// answers message boxes and reads the list view and tab labels (through
// memory allocated in Knobset's own process, as these messages carry
// pointers that the system does not carry across processes).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win32/driver.h"

namespace bw_test {

class KnobsetProcess {
 public:
  // Starts Knobset.exe (beside the tests) with `arguments` in `directory`.
  KnobsetProcess(const std::string& arguments, const std::string& directory);
  // Attaches to the running Knobset that owns `window` (left running).
  explicit KnobsetProcess(HWND window);
  // Ends the process when the test started it and left it running.
  ~KnobsetProcess();
  KnobsetProcess(const KnobsetProcess&) = delete;
  KnobsetProcess& operator=(const KnobsetProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD ProcessId() const { return processId_; }
  // True when the process ended within `timeoutMs` (its code in *exitCode).
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

  // A visible top-level dialog of the process with this title, or none
  // after `timeoutMs`.
  HWND WaitForDialog(const std::string& title, DWORD timeoutMs = 20000) const;
  // Waits for a message box with `caption`, records it in *seen and presses
  // `answer`; false when none came.
  bool AnswerBox(int answer, SeenBox* seen = nullptr, const std::string& caption = "Knobset",
                 DWORD timeoutMs = 20000) const;
  // True when no message box with `caption` shows within `waitMs`.
  bool NoBoxWithin(DWORD waitMs, const std::string& caption = "Knobset") const;

  // List view and tab control reads and the clicks that need a point.
  int ListRowCount(HWND list) const;
  std::string ListCell(HWND list, int row, int column) const;
  // Selects exactly the given rows.
  void SelectRows(HWND list, const std::vector<int>& rows) const;
  std::string TabLabel(HWND tabs, int index) const;
  // Clicks a tab as the user would, so that the dialog hears of the change.
  void ClickTab(HWND tabs, int index) const;

 private:
  // A block of memory inside Knobset's process.
  class Remote {
   public:
    Remote(HANDLE process, size_t size);
    ~Remote();
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    void* At(size_t offset = 0) const { return static_cast<char*>(base_) + offset; }
    void Write(size_t offset, const void* data, size_t size) const;
    void Read(size_t offset, void* data, size_t size) const;

   private:
    HANDLE process_;
    void* base_;
  };

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  bool owned_ = true;
};

// A control anywhere below `dialog` (also inside an embedded page).
HWND FindControl(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
void TypeText(HWND dialog, int id, const std::string& text);
// The same with UTF-16 text, for characters Shift_JIS cannot hold.
void TypeWideText(HWND dialog, int id, const std::wstring& text);
// Presses a button or picks a menu item without waiting for what it opens.
void PressButton(HWND dialog, int id);
void PickCommand(HWND window, int id);
// Clicks a check box or radio button so that it changes its own state.
void ClickControl(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

}  // namespace bw_test
