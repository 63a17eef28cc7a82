// The options and auto-exec control dialogs (see options_dialogs.h). The
// models hold the rows and rules; these classes move the rows' values
// between the controls and a draft.
#include "configurator/win32/options_dialogs.h"

#include "configurator/core/options_model.h"
#include "configurator/ids/auto_exec_control_dialog_ids.h"
#include "configurator/ids/options_dialog_ids.h"
#include "configurator/win32/bound_dialog.h"
#include "configurator/win32/knobset_box.h"

namespace bw {
namespace {

// Shows a refusal and puts the focus on the field it concerns.
void Refuse(Dialog& dialog, const std::string& message, int id) {
  if (!message.empty()) KnobsetBox(dialog.Handle(), message, MB_OK | MB_ICONEXCLAMATION);
  if (!id) return;
  SendMessageW(dialog.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.Item(id)), TRUE);
  SendMessageW(dialog.Item(id), EM_SETSEL, 0, -1);
}

class OptionsDialog : public BoundDialog {
 public:
  explicit OptionsDialog(AncestryPop3Controller& controller)
      : BoundDialog(GetModuleHandleW(nullptr), IDD_OPTIONS),
        controller_(controller),
        draft_(DraftOf(kOptionsBindings, controller)) {
    SetHelpTopic("options-dialog.html");
  }

 protected:
  bool OnInit() override {
    FillBound(kOptionsBindings, kNoPage, draft_);
    return true;
  }

  bool OnOK() override {
    if (ReadBound(kOptionsBindings, kNoPage, draft_, "Knobset")) return false;
    return StoreDraft(kControllerKeyTable, draft_, controller_) == kSetOk;
  }

 private:
  AncestryPop3Controller& controller_;
  RecordDraft draft_;
};

class AutoExecControlDialog : public BoundDialog {
 public:
  explicit AutoExecControlDialog(AncestryPop3Controller& controller)
      : BoundDialog(GetModuleHandleW(nullptr), IDD_AUTO_EXEC_CONTROL),
        controller_(controller),
        draft_(OpenAutoExecControl(controller)) {
    SetHelpTopic("control-dialog.html");
  }

 protected:
  bool OnInit() override {
    Show();
    return true;
  }

  bool OnCommand(int id, int code) override {
    switch (id) {
      case IDC_CTL_KILL_BEFORE:
      case IDC_CTL_KILL_NO_MAIL:
      case IDC_CTL_KILL_MENU:
        if (code == BN_CLICKED) {
          ReadBoundRows(kAutoExecControlBindings, kNoPage, draft_);
          ApplyEnabling();
        }
        return true;
      case IDC_CTL_DEFAULT:
        draft_ = DefaultAutoExecControl();
        Show();
        return true;
      default:
        return Dialog::OnCommand(id, code);
    }
  }

  bool OnOK() override {
    const BoundRefusal refusal = ReadBoundRows(kAutoExecControlBindings, kNoPage, draft_);
    if (refusal.row) {
      Refuse(*this, refusal.message, refusal.control);
      return false;
    }
    const std::string message = CheckKillMethod(draft_);
    if (!message.empty()) {
      Refuse(*this, message, 0);
      return false;
    }
    return StoreAutoExecControl(draft_, controller_) == kSetOk;
  }

 private:
  void Show() {
    FillBound(kAutoExecControlBindings, kNoPage, draft_);
    ApplyEnabling();
  }

  // Disabled method boxes keep their check state.
  void ApplyEnabling() {
    const bool enabled = KillMethodsEnabled(draft_);
    for (int id : {IDC_CTL_POST_CLOSE, IDC_CTL_POST_QUIT, IDC_CTL_TERMINATE}) EnableItem(id, enabled);
  }

  AncestryPop3Controller& controller_;
  RecordDraft draft_;
};

}  // namespace

bool RunOptionsDialog(HWND owner, AncestryPop3Controller& controller) {
  OptionsDialog dialog(controller);
  return dialog.DoModal(owner) == IDOK;
}

bool RunAutoExecControlDialog(HWND owner, AncestryPop3Controller& controller) {
  AutoExecControlDialog dialog(controller);
  return dialog.DoModal(owner) == IDOK;
}

}  // namespace bw
