// Knobset's main window: the file name and log settings, the three record
// lists behind a tab control, and the file, restart and help commands.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/core/param_file.h"
#include "configurator/ids/main_window_ids.h"
#include "configurator/win32/bound_dialog.h"
#include "configurator/win32/capture.h"

namespace bw {

// Owns an image list.
class ImageList {
 public:
  ImageList() = default;
  ~ImageList() { Reset(nullptr); }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  void Reset(HIMAGELIST list) {
    if (list_) ImageList_Destroy(list_);
    list_ = list;
  }
  HIMAGELIST Get() const { return list_; }

 private:
  HIMAGELIST list_ = nullptr;
};

class MainWindow : public BoundDialog {
 public:
  MainWindow(std::string saveFileName, const ParameterFileHeader& header,
             std::unique_ptr<AncestryPop3Controller> controller);
  ~MainWindow() override;
  // Shows the window and runs its message loop until the window ends.
  void Run();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool OnOK() override;
  bool OnCancel() override {
    Exit();
    return false;
  }

 private:
  // Takes the loaded configuration into the window (start and Load).
  void TakeConfiguration();
  // Reads the edit boxes into the state; false after the range message.
  bool ReadControls();
  void UpdateEnabling();
  HWND List() const { return Item(IDC_LIST); }
  int ListRows() const;
  std::vector<RingListClass*> SelectedRecords() const;
  void Reselect(const std::vector<RingListClass*>& records);
  void SetTabLabels();
  void Rebuild();
  void Refill();
  void InsertRows();
  // The current tab's list head in the controller.
  RingListClass* Head() const;
  void SetHead(RingListClass* head);
  void FreshImageList();
  void SetTextQuietly(int id, const std::string& text);

  void Add();
  void Update();
  void Delete();
  void Move(bool up);
  void SelectAll(bool select);
  bool Save();
  void Load();
  void Exit();
  void Restart(bool simulated);
  void Help();
  void About();
  void BrowseSave();
  void BrowseLog();
  void ShowListPopup();
  void EditOptions();
  void EditAutoExecControl();
  void Capture();
  // The mouse pick ends: with `take` the window under the cursor is
  // captured, otherwise nothing.
  void EndPick(bool take);
  // Merges a scratch list of captured records into the current tab's list.
  void MergeCapture(Executant* scratch);
  // The current tab's capture makes menu records.
  bool CapturesMenus() const;

  std::string saveFileName_;
  std::string logFileName_;
  int logFileLimit_ = 0;
  std::string fileVersion_;
  std::unique_ptr<AncestryPop3Controller> controller_;
  bool dirty_ = false;
  std::string checkerPath_;
  bool checkerPresent_ = false;
  int tab_ = 0;
  HACCEL accelerators_ = nullptr;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  ImageList images_;
  bool quiet_ = false;  // the window is setting its own edit texts
  bool ended_ = false;
  // The capture options live as long as the window; not stored in the file.
  unsigned captureOptions_ = 0x20000D50u;
  MousePick pick_;
};

}  // namespace bw
