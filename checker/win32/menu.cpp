// The popup menu and its three dialogs: detailed status, emergency mode and
// version.
#include <cstdio>
#include <string>
#include <vector>

#include "checker/core/auto_exec.h"
#include "checker/core/display_values.h"
#include "checker/win32/checker_application.h"
#include "checker/win32/platform_query.h"
#include "checker/win32/resource.h"
#include "common/core/log.h"
#include "common/win32/process_start.h"

namespace bw {
namespace {

int g_menuPrepared = 0;

void SetCheck(HMENU popup, UINT id, int on) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = on ? MFS_CHECKED : 0;
  SetMenuItemInfoA(popup, id, FALSE, &info);
}

// Dialog procedures find the application in the dialog's user data.
CheckerApplication* DialogApplication(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  return reinterpret_cast<CheckerApplication*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK StatusProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  CheckerApplication* app = DialogApplication(dialog, message, lParam);
  return app ? app->StatusDialog(dialog, message, wParam) : FALSE;
}

INT_PTR CALLBACK EmergencyProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  CheckerApplication* app = DialogApplication(dialog, message, lParam);
  return app ? app->EmergencyDialog(dialog, message, wParam) : FALSE;
}

INT_PTR CALLBACK VersionProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void CheckerApplication::PreparePopupMenu(HMENU popup) {
  SetCheck(popup, IDM_AUTO_WAKEUP, AutoWakeup);
  SetCheck(popup, IDM_KEEP_GEOMETRY, KeepGeometry);
  SetCheck(popup, IDM_MENU_EXEC_BURIED, MenuExecBuried);
  if (g_menuPrepared) return;
  g_menuPrepared = 1;

  if (!g_configuratorPresent) EnableMenuItem(popup, IDM_CONFIGURE, MF_BYCOMMAND | MF_GRAYED);
  const int count = GetMenuItemCount(popup);
  int position = 0;
  HMENU sub = nullptr;
  for (; position < count; ++position)
    if ((sub = GetSubMenu(popup, position)) != nullptr) break;
  if (!sub) return;
  for (UINT id = IDM_USER_APP_FIRST; id <= IDM_USER_APP_LAST; ++id)
    DeleteMenu(sub, id, MF_BYCOMMAND);
  int n = 0;
  WalkRing(menuHead, [&](MenuExecutant* m) {
    if (n >= 9) return;
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

bool CheckerApplication::MenuCommand(WPARAM command) {
  switch (command) {
    case IDM_EXIT:
      return cycle_->ExitCommand();
    case IDM_CONFIGURE: {
      std::string arguments = "-p \"" + parameterPath + "\"";
      StartSimpleProcess(window, "Knobset.exe", arguments.c_str(), nullptr);
      break;
    }
    case IDM_VERSION:
      dialogOpen = 1;
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_VERSION), window, VersionProcedure, 0);
      dialogOpen = 0;
      break;
    case IDM_BURY:
      StartBurying();
      break;
    case IDM_STATUS:
      statusText = BuildDisplayValue(*this, "ST");
      dialogOpen = 1;
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_STATUS), window, StatusProcedure,
                      reinterpret_cast<LPARAM>(this));
      dialogOpen = 0;
      break;
    case IDM_EMERGENCY:
      dialogOpen = 1;
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EMERGENCY), window, EmergencyProcedure,
                      reinterpret_cast<LPARAM>(this));
      dialogOpen = 0;
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

void CheckerApplication::RunMenuApplication(int number) {
  MenuExecutant* chosen = nullptr;
  int position = 0;
  WalkRing(menuHead, [&](MenuExecutant* m) {
    if (position < 9 && position == number) chosen = m;
    ++position;
  });
  if (chosen) {
    LogWrite("ﾒﾆｭｰ実行開始 ﾘｽﾄ番号=%d.\n", number);
    if (AutoKillMethod & kKillOnMenuExec) {
      LogWrite("Terminate AutoExec Applications.\n");
      bw::TerminateAutoExecApplications(*this);
    }
    const std::string remembered = chosen->ExecutionArguments;
    chosen->ExecutionArguments = ExpandArguments(remembered);
    chosen->Launch(nullptr);
    chosen->ExecutionArguments = remembered;
  }
  if (MenuExecBuried) StartBurying();
  Trim();
}

INT_PTR CheckerApplication::StatusDialog(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, statusText.c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CheckerApplication::EmergencyDialog(HWND dialog, UINT message, WPARAM wParam) {
  HWND list = GetDlgItem(dialog, IDC_EMERGENCY_LIST);
  if (message == WM_INITDIALOG) {
    int n = 0;
    for (Pop3Checker* account : accounts_) {
      char number[16];
      std::snprintf(number, sizeof number, "%2d", ++n);
      std::string item = std::string(number) + " " + account->ConnectionName;
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      if (account->InEmergency()) SendMessageA(list, LB_SETSEL, TRUE, n - 1);
    }
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_EMERGENCY_CLEAR:
      SendMessageA(list, LB_SETSEL, FALSE, -1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case IDOK: {
      std::vector<int> positions;
      int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
      if (count > 0) {
        positions.resize(static_cast<size_t>(count));
        SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(positions.data()));
      }
      cycle_->SetEmergencyMode(positions);
      EndDialog(dialog, IDOK);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace bw
