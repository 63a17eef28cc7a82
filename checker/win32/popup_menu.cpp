// The popup menu (see popup_menu.h) and the application's menu commands.
#include "checker/win32/popup_menu.h"

#include <cstdio>
#include <string>

#include "checker/core/display_values.h"
#include "checker/core/macros.h"
#include "checker/win32/checker_application.h"
#include "checker/win32/dialogs.h"
#include "checker/win32/platform_query.h"
#include "checker/win32/resource.h"
#include "common/core/log.h"
#include "common/win32/process_start.h"
#include "common/win32/program_names.h"

namespace bw {
namespace {

// The menu lists at most this many menu applications.
constexpr int kMenuApplications = IDM_USER_APP_LAST - IDM_USER_APP_FIRST + 1;

void SetCheck(HMENU popup, UINT id, int on) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = on ? MFS_CHECKED : 0;
  SetMenuItemInfoA(popup, id, FALSE, &info);
}

}  // namespace

PopupMenu::~PopupMenu() {
  if (menu_) DestroyMenu(menu_);
}

bool PopupMenu::Load(HINSTANCE instance) {
  menu_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_POPUP));
  return menu_ != nullptr;
}

void PopupMenu::Prepare(const AncestryPop3Controller& settings, bool configuratorPresent) {
  HMENU popup = Popup();
  SetCheck(popup, IDM_AUTO_WAKEUP, settings.AutoWakeup);
  SetCheck(popup, IDM_KEEP_GEOMETRY, settings.KeepGeometry);
  SetCheck(popup, IDM_MENU_EXEC_BURIED, settings.MenuExecBuried);
  if (prepared_) return;
  prepared_ = true;

  if (!configuratorPresent) EnableMenuItem(popup, IDM_CONFIGURE, MF_BYCOMMAND | MF_GRAYED);
  const int count = GetMenuItemCount(popup);
  int position = 0;
  HMENU sub = nullptr;
  for (; position < count; ++position)
    if ((sub = GetSubMenu(popup, position)) != nullptr) break;
  if (!sub) return;
  for (UINT id = IDM_USER_APP_FIRST; id <= IDM_USER_APP_LAST; ++id)
    DeleteMenu(sub, id, MF_BYCOMMAND);
  int n = 0;
  WalkRing(settings.menuHead, [&](MenuExecutant* m) {
    if (n >= kMenuApplications) return;
    ++n;
    char label[32];
    std::snprintf(label, sizeof label, "(&%d)", n);
    std::string text = std::string(label) + " " + m->MenuExecutionName;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_TYPE | MIIM_STATE;
    info.fType = MFT_STRING;
    info.fState = n == 1 ? MFS_DEFAULT : 0;
    info.wID = IDM_USER_APP_FIRST + static_cast<UINT>(n - 1);
    info.dwTypeData = &text[0];
    InsertMenuItemA(sub, static_cast<UINT>(GetMenuItemCount(sub)), TRUE, &info);
  });
  if (n == 0) RemoveMenu(popup, static_cast<UINT>(position), MF_BYPOSITION);
}

void PopupMenu::Track(HWND owner) {
  POINT cursor{};
  GetCursorPos(&cursor);
  TrackPopupMenu(Popup(), TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
}

// ---- The application's side of the menu ----

void CheckerApplication::TrackPopupMenu() {
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

bool CheckerApplication::OnCommand(WPARAM command) {
  switch (command) {
    case IDM_EXIT:
      return cycle_->ExitCommand();
    case IDM_CONFIGURE: {
      std::string arguments = "-p \"" + parameterPath_ + "\"";
      StartSimpleProcess(window_.Handle(), kConfiguratorProgram, arguments.c_str(), nullptr);
      break;
    }
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
    case IDM_EMERGENCY: {
      std::vector<EmergencyDialog::Account> list;
      for (Pop3Checker* account : accounts_)
        list.push_back({account->ConnectionName, account->InEmergency()});
      EmergencyDialog dialog(instance_, std::move(list));
      dialogOpen_ = true;
      // The new mode is set while the dialog still counts as open, as it
      // always has been.
      if (dialog.DoModal(window_.Handle()) == IDOK) cycle_->SetEmergencyMode(dialog.chosen);
      dialogOpen_ = false;
      break;
    }
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
