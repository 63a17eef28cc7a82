// The application's menu commands: the popup menu shown from the button,
// each command it sends back carried out, and the dialogs and menu
// applications those commands start.
#include <string>
#include <utility>
#include <vector>

#include "checker/core/display_values.h"
#include "checker/core/macros.h"
#include "checker/win32/checker_application.h"
#include "checker/win32/dialogs.h"
#include "checker/win32/platform_query.h"
#include "checker/win32/bellwick_ids.h"
#include "common/core/log.h"
#include "common/win32/process_start.h"
#include "common/win32/program_names.h"

namespace bw {

void CheckerApplication::ShowPopupMenu() {
  menu_.Prepare(*this, configuratorPresent_);
  SetForegroundWindow(window_.Handle());
  menu_.Track(window_.Handle());
}

INT_PTR CheckerApplication::RunDialog(Dialog& dialog) {
  dialogOpen_ = true;
  INT_PTR result = dialog.DoModal(window_.Handle());
  dialogOpen_ = false;
  return result;
}

// The whole wParam is compared with the command ids; an unknown one does
// nothing.
bool CheckerApplication::OnCommand(WPARAM command) {
  switch (command) {
    case IDM_EXIT:
      return cycle_->ExitCommand();
    case IDM_CONFIGURE:
      StartConfigurator();
      break;
    case IDM_VERSION: {
      VersionDialog dialog(instance_);
      RunDialog(dialog);
      break;
    }
    case IDM_BURY:
      window_.Bury(AnimateTimer);
      break;
    case IDM_STATUS: {
      StatusDialog dialog(instance_, BuildDisplayValue(display_, "ST"));
      RunDialog(dialog);
      break;
    }
    case IDM_EMERGENCY:
      ChooseEmergencyAccounts();
      break;
    case IDM_NEW_MAIL_LIST:
      OpenNewMailList();
      break;
    case IDM_CHECK_NOW:
      cycle_->CheckNow();
      break;
    case IDM_AUTO_WAKEUP:
      AutoWakeup = !AutoWakeup;
      break;
    case IDM_KEEP_GEOMETRY:
      KeepGeometry = !KeepGeometry;
      break;
    case IDM_MENU_EXEC_BURIED:
      MenuExecBuried = !MenuExecBuried;
      break;
    case IDM_RESET_ERRORS:
      cycle_->ResetErrors();
      break;
    default:
      if (command >= IDM_USER_APP_FIRST && command <= IDM_USER_APP_LAST)
        RunMenuApplication(static_cast<int>(command - IDM_USER_APP_FIRST));
      break;
  }
  return true;
}

// The configurator opens the parameter file in use, quoted so that a path
// with spaces stays one argument.
void CheckerApplication::StartConfigurator() {
  std::string arguments = "-p \"" + parameterPath_ + "\"";
  StartSimpleProcess(window_.Handle(), kConfiguratorProgram, arguments.c_str(), nullptr);
}

void CheckerApplication::ChooseEmergencyAccounts() {
  std::vector<EmergencyDialog::Account> list;
  for (Pop3Checker* account : accounts_)
    list.push_back({account->ConnectionName, account->InEmergency()});
  EmergencyDialog dialog(instance_, std::move(list));
  dialogOpen_ = true;
  // The new mode is set while the dialog still counts as open, as it
  // always has been.
  if (dialog.DoModal(window_.Handle()) == IDOK) cycle_->SetEmergencyMode(dialog.chosen);
  dialogOpen_ = false;
}

// The application's arguments are expanded for this start only; the record
// keeps the text with its macros.
void CheckerApplication::RunMenuApplication(int number) {
  MenuExecutant* chosen = nullptr;
  int position = 0;
  WalkRing(menuHead, [&](MenuExecutant* m) {
    if (position < kMenuApplications && position == number) chosen = m;
    ++position;
  });
  if (chosen) {
    LogWrite("ﾒﾆｭｰ実行開始 ﾘｽﾄ番号=%d.\n", number);
    if (AutoKillMethod & kKillOnMenuExec) {
      LogWrite("Terminate AutoExec Applications.\n");
      autoExec_.TerminateAutoExecApplications();
    }
    const std::string remembered = chosen->ExecutionArguments;
    chosen->ExecutionArguments = ExpandMacros(display_, remembered);
    launcher_.Launch(*chosen, nullptr, nullptr);
    chosen->ExecutionArguments = remembered;
  }
  if (MenuExecBuried) window_.Bury(AnimateTimer);
  TrimWorkingSet();
}

}  // namespace bw
