// The application dialogs ("ｱﾌﾟﾘｹｰｼｮﾝ起動情報" for an auto-exec record,
// "ﾒﾆｭｰ起動情報" for a menu record): the program with its four choosers, the
// working folder and arguments, and two embedded pages (geometry, priority)
// behind a tab control. The controls are bound to a draft of the record by
// the model's rows; the model decides what is enabled and stored.
#pragma once
#include <windows.h>

#include "configurator/core/app_dialog_model.h"
#include "configurator/ids/app_dialog_ids.h"
#include "configurator/win32/bound_dialog.h"
#include "configurator/win32/paged_dialog.h"

namespace bw {

class ApplicationDialog;

// One page of the application dialog: it fills and reads the dialog's rows
// standing on it, and asks the dialog to refresh its enabling when one of
// its boxes changes.
class AppPage : public BoundDialog {
 public:
  AppPage(int templateId, int page, RecordDraft& draft, ApplicationDialog& owner)
      : BoundDialog(GetModuleHandleW(nullptr), templateId), page_(page), draft_(draft), owner_(owner) {}
  BoundRefusal Read();
  virtual void ApplyEnabling(const AppDialogEnabling& enabling) = 0;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  // The check boxes whose state changes what else is enabled.
  virtual bool ChangesEnabling(int id) const = 0;
  const BindingTable& Rows() const;

  int page_;
  RecordDraft& draft_;
  ApplicationDialog& owner_;
};

// "表示属性": the show mode, position and size.
class GeometryPage : public AppPage {
 public:
  GeometryPage(RecordDraft& draft, ApplicationDialog& owner)
      : AppPage(IDD_GEOMETRY_PAGE, kAppGeometryPage, draft, owner) {}
  void ApplyEnabling(const AppDialogEnabling& enabling) override;

 protected:
  bool ChangesEnabling(int id) const override {
    return id == IDC_POSITION_GIVEN || id == IDC_SIZE_GIVEN;
  }
};

// "ｱﾄﾞﾊﾞﾝｽﾄ": priority, double start, IME and the start-up time-out.
class PriorityPage : public AppPage {
 public:
  PriorityPage(RecordDraft& draft, ApplicationDialog& owner)
      : AppPage(IDD_PRIORITY_PAGE, kAppPriorityPage, draft, owner) {}
  void ApplyEnabling(const AppDialogEnabling& enabling) override;
  bool PriorityGiven() const { return IsChecked(IDC_PRIORITY_GIVEN); }

 protected:
  bool OnInit() override;
  bool ChangesEnabling(int id) const override { return id == IDC_PRIORITY_GIVEN; }
};

class ApplicationDialog : public PagedDialog {
 public:
  // Edits `record` (a MenuExecutant for kMenu) only when the user confirms.
  ApplicationDialog(AppDialogKind kind, Executant& record);
  ~ApplicationDialog() override;
  // Reads the dialog's own fields and applies the enabling rules (the pages
  // call it when one of their boxes changes).
  void Refresh();
  const BindingTable& Rows() const { return AppDialogBindings(kind_); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnOK() override;
  std::vector<HWND> TabRing() const override;

 private:
  // Reads the dialog's own fields into the draft (a refused one keeps its
  // draft text until OK says so).
  void ReadMainFields();
  // Writes the dialog's own fields from the draft.
  void ShowMainFields();
  // Base name, icons and enabling after the program changed.
  void ShowProgram();
  void ReleaseIcons();
  void BrowseProgram();
  void BrowseQuickLaunch();
  void ChooseShellDocument();
  void BrowseFolder();
  // Shows OK's refusal on the page holding the control, and focuses it.
  bool Refuse(int page, int control, const std::string& message);

  AppDialogKind kind_;
  Executant& record_;
  RecordDraft draft_;
  GeometryPage geometryPage_;
  PriorityPage priorityPage_;
  HICON largeIcon_ = nullptr, smallIcon_ = nullptr;
  bool quiet_ = false;  // the dialog is setting its own edit texts
};

// Runs the dialog of the tab's kind on `record`; true on OK.
bool RunApplicationDialog(HWND owner, AppDialogKind kind, Executant& record);

}  // namespace bw
