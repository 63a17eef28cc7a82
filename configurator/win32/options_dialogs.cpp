// The options and auto-exec control dialogs (see options_dialogs.h). The
// models hold the rules; these classes move values between controls and
// fields.
#include "configurator/win32/options_dialogs.h"

#include "configurator/core/options_model.h"
#include "common/win32/dialog.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/auto_exec_control_dialog_ids.h"
#include "configurator/win32/options_dialog_ids.h"

namespace bw {
namespace {

// Shows a refusal and puts the focus on the field it concerns.
void Refuse(Dialog& dialog, const std::string& message, int id) {
  if (!message.empty()) KnobsetBox(dialog.Handle(), message, MB_OK | MB_ICONEXCLAMATION);
  if (!id) return;
  SendMessageW(dialog.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.Item(id)), TRUE);
  SendMessageW(dialog.Item(id), EM_SETSEL, 0, -1);
}

class OptionsDialog : public Dialog {
 public:
  explicit OptionsDialog(AncestryPop3Controller& controller)
      : Dialog(GetModuleHandleW(nullptr), IDD_OPTIONS),
        controller_(controller),
        draft_(DraftOf(kOptionsBindings, controller)) {}

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

class AutoExecControlDialog : public Dialog {
 public:
  explicit AutoExecControlDialog(AncestryPop3Controller& controller)
      : Dialog(GetModuleHandleW(nullptr), IDD_AUTO_EXEC_CONTROL),
      controller_(controller), fields_(LoadAutoExecControl(controller)) {}

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
          Read();
          ApplyEnabling();
        }
        return true;
      case IDC_CTL_DEFAULT:
        fields_ = DefaultAutoExecControl();
        Show();
        return true;
      default:
        return Dialog::OnCommand(id, code);
    }
  }

  bool OnOK() override {
    Read();
    const AutoExecControlCheck check = StoreAutoExecControl(fields_, controller_);
    if (check.ok) return true;
    Refuse(*this, check.message, check.field == AutoExecControlField::kDelay ? IDC_CTL_DELAY : 0);
    return false;
  }

 private:
  void Show() {
    CheckRadioButton(Handle(), IDC_CTL_SEQUENCE_DELAY, IDC_CTL_SEQUENCE_TIMEOUT,
                     fields_.sequenceRadio == 1 ? IDC_CTL_SEQUENCE_TIMEOUT : IDC_CTL_SEQUENCE_DELAY);
    SetItemText(IDC_CTL_DELAY, fields_.delay);
    SetChecked(IDC_CTL_KILL_BEFORE, fields_.killBeforeRestart);
    SetChecked(IDC_CTL_KILL_NO_MAIL, fields_.killWhenNoMail);
    SetChecked(IDC_CTL_KILL_MENU, fields_.killOnMenuExec);
    SetChecked(IDC_CTL_POST_CLOSE, fields_.postClose);
    SetChecked(IDC_CTL_POST_QUIT, fields_.postQuit);
    SetChecked(IDC_CTL_TERMINATE, fields_.terminate);
    ApplyEnabling();
  }

  void Read() {
    fields_.sequenceRadio = IsChecked(IDC_CTL_SEQUENCE_TIMEOUT) ? 1 : 0;
    fields_.delay = ItemText(IDC_CTL_DELAY);
    fields_.killBeforeRestart = IsChecked(IDC_CTL_KILL_BEFORE);
    fields_.killWhenNoMail = IsChecked(IDC_CTL_KILL_NO_MAIL);
    fields_.killOnMenuExec = IsChecked(IDC_CTL_KILL_MENU);
    fields_.postClose = IsChecked(IDC_CTL_POST_CLOSE);
    fields_.postQuit = IsChecked(IDC_CTL_POST_QUIT);
    fields_.terminate = IsChecked(IDC_CTL_TERMINATE);
  }

  // Disabled method boxes keep their check state.
  void ApplyEnabling() {
    const bool enabled = KillMethodsEnabled(fields_);
    for (int id : {IDC_CTL_POST_CLOSE, IDC_CTL_POST_QUIT, IDC_CTL_TERMINATE}) EnableItem(id, enabled);
  }

  AncestryPop3Controller& controller_;
  AutoExecControlFields fields_;
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
