// The application dialogs ("ｱﾌﾟﾘｹｰｼｮﾝ起動情報" for an auto-exec record,
// "ﾒﾆｭｰ起動情報" for a menu record): the program with its four choosers, the
// working folder and arguments, and two embedded pages (geometry, priority)
// behind a tab control. The controls only carry AppDialogFields; the model
// decides what is shown, enabled and stored.
#pragma once
#include <windows.h>

#include "configurator/models/app_dialog_model.h"
#include "configurator/win32/dialog.h"
#include "configurator/win32/resource.h"

namespace bw {

class ApplicationDialog;

// "表示属性": the show mode, position and size.
class GeometryPage : public Dialog {
 public:
  GeometryPage(AppDialogFields& fields, ApplicationDialog& owner) : fields_(fields), owner_(owner) {}
  void Read();
  void ApplyEnabling(const AppDialogEnabling& enabling);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  AppDialogFields& fields_;
  ApplicationDialog& owner_;
};

// "ｱﾄﾞﾊﾞﾝｽﾄ": priority, double start, IME and the start-up time-out.
class PriorityPage : public Dialog {
 public:
  PriorityPage(AppDialogFields& fields, ApplicationDialog& owner) : fields_(fields), owner_(owner) {}
  void Read();
  void ApplyEnabling(const AppDialogEnabling& enabling);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  AppDialogFields& fields_;
  ApplicationDialog& owner_;
};

class ApplicationDialog : public Dialog {
 public:
  // Edits `record` (a MenuExecutant for kMenu) only when the user confirms.
  ApplicationDialog(AppDialogKind kind, Executant& record);
  ~ApplicationDialog() override;
  // Reads every control and applies the enabling rules (the pages call it
  // when one of their boxes changes).
  void Refresh();

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  void OnOk() override;

 private:
  void ReadControls();
  // Writes the program, folder and arguments into their edits.
  void ShowMainFields();
  // Base name, icons and enabling after the program changed.
  void ShowProgram();
  void ReleaseIcons();
  void ShowPage(int page);
  void BrowseProgram();
  void BrowseQuickLaunch();
  void ChooseShellDocument();
  void BrowseFolder();
  // Moves the focus for Tab or Shift+Tab; false when the focus is elsewhere.
  bool Navigate(HWND focus, bool backwards);
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

  AppDialogKind kind_;
  Executant& record_;
  AppDialogFields fields_;
  GeometryPage geometryPage_;
  PriorityPage priorityPage_;
  HWND pages_[2] = {};
  int shown_ = 0;
  HHOOK filter_ = nullptr;
  HICON largeIcon_ = nullptr, smallIcon_ = nullptr;
  bool quiet_ = false;  // the dialog is setting its own edit texts
};

// Runs the dialog of the tab's kind on `record`; true on OK.
bool RunApplicationDialog(HWND owner, AppDialogKind kind, Executant& record);

}  // namespace bw
