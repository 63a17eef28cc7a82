// The options and auto-exec control dialogs (see options_dialogs.h). The
// models hold the rules; these classes move values between controls and
// fields.
#include "configurator/win32/options_dialogs.h"

#include "configurator/core/options_model.h"
#include "common/win32/dialog.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/priority_lists.h"
#include "configurator/win32/auto_exec_control_dialog_ids.h"
#include "configurator/win32/options_dialog_ids.h"

namespace bw {
namespace {

// Shows a refusal and puts the focus on the field it concerns.
void Refuse(Dialog& dialog, const std::string& message, int id) {
  if (!message.empty()) KnobsetBox(dialog.Handle(), message, MB_OK | MB_ICONEXCLAMATION);
  if (!id) return;
  SendMessageA(dialog.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.Item(id)), TRUE);
  SendMessageA(dialog.Item(id), EM_SETSEL, 0, -1);
}

class OptionsDialog : public Dialog {
 public:
  explicit OptionsDialog(AncestryPop3Controller& controller)
      : Dialog(GetModuleHandleA(nullptr), IDD_OPTIONS),
      controller_(controller), fields_(LoadOptions(controller)) {}

 protected:
  bool OnInit() override {
    FillPriorityLists(Item(IDC_OPT_CLASS), fields_.classIndex, Item(IDC_OPT_THREAD), fields_.threadIndex);
    SetItemText(IDC_OPT_INIT_SLEEP, fields_.initSleep);
    SetItemText(IDC_OPT_CONSECUTIVE, fields_.consecutive);
    SetChecked(IDC_OPT_STOP_SSAVING, fields_.stopDuringSSaving);
    SetItemText(IDC_OPT_X, fields_.x);
    SetItemText(IDC_OPT_Y, fields_.y);
    SetItemText(IDC_OPT_WIDTH, fields_.width);
    SetItemText(IDC_OPT_HEIGHT, fields_.height);
    SetChecked(IDC_OPT_KEEP_GEOMETRY, fields_.keepGeometry);
    SetChecked(IDC_OPT_STARTUP_BURIED, fields_.startupBuried);
    SetChecked(IDC_OPT_AUTO_WAKEUP, fields_.autoWakeup);
    SetChecked(IDC_OPT_MENU_EXEC_BURIED, fields_.menuExecBuried);
    SetItemText(IDC_OPT_ANIMATE_TIMER, fields_.animateTimer);
    return true;
  }

  bool OnOK() override {
    fields_.classIndex = Selected(Item(IDC_OPT_CLASS));
    fields_.threadIndex = Selected(Item(IDC_OPT_THREAD));
    fields_.initSleep = ItemText(IDC_OPT_INIT_SLEEP);
    fields_.consecutive = ItemText(IDC_OPT_CONSECUTIVE);
    fields_.stopDuringSSaving = IsChecked(IDC_OPT_STOP_SSAVING);
    fields_.x = ItemText(IDC_OPT_X);
    fields_.y = ItemText(IDC_OPT_Y);
    fields_.width = ItemText(IDC_OPT_WIDTH);
    fields_.height = ItemText(IDC_OPT_HEIGHT);
    fields_.keepGeometry = IsChecked(IDC_OPT_KEEP_GEOMETRY);
    fields_.startupBuried = IsChecked(IDC_OPT_STARTUP_BURIED);
    fields_.autoWakeup = IsChecked(IDC_OPT_AUTO_WAKEUP);
    fields_.menuExecBuried = IsChecked(IDC_OPT_MENU_EXEC_BURIED);
    fields_.animateTimer = ItemText(IDC_OPT_ANIMATE_TIMER);
    const OptionsCheck check = StoreOptions(fields_, controller_);
    if (check.ok) return true;
    int id = 0;
    switch (check.field) {
      case OptionsField::kClass: id = IDC_OPT_CLASS; break;
      case OptionsField::kThread: id = IDC_OPT_THREAD; break;
      case OptionsField::kInitSleep: id = IDC_OPT_INIT_SLEEP; break;
      case OptionsField::kConsecutive: id = IDC_OPT_CONSECUTIVE; break;
      case OptionsField::kAutoWakeup: id = IDC_OPT_AUTO_WAKEUP; break;
      case OptionsField::kStartupBuried: id = IDC_OPT_STARTUP_BURIED; break;
      case OptionsField::kKeepGeometry: id = IDC_OPT_KEEP_GEOMETRY; break;
      case OptionsField::kHeight: id = IDC_OPT_HEIGHT; break;
      case OptionsField::kX: id = IDC_OPT_X; break;
      case OptionsField::kY: id = IDC_OPT_Y; break;
      case OptionsField::kWidth: id = IDC_OPT_WIDTH; break;
      case OptionsField::kAnimateTimer: id = IDC_OPT_ANIMATE_TIMER; break;
      case OptionsField::kMenuExecBuried: id = IDC_OPT_MENU_EXEC_BURIED; break;
      case OptionsField::kStopDuringSSaving: id = IDC_OPT_STOP_SSAVING; break;
      case OptionsField::kNone: break;
    }
    Refuse(*this, check.message, id);
    return false;
  }

 private:
  AncestryPop3Controller& controller_;
  OptionsFields fields_;
};

class AutoExecControlDialog : public Dialog {
 public:
  explicit AutoExecControlDialog(AncestryPop3Controller& controller)
      : Dialog(GetModuleHandleA(nullptr), IDD_AUTO_EXEC_CONTROL),
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
