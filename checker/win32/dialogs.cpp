// The checker's dialogs (see dialogs.h).
#include "checker/win32/dialogs.h"

#include <cstdio>
#include <utility>

#include "checker/win32/emergency_dialog_ids.h"
#include "checker/win32/status_dialog_ids.h"
#include "checker/win32/version_dialog_ids.h"
#include "platform/win32/wide_text.h"

namespace bw {

VersionDialog::VersionDialog(HINSTANCE instance) : Dialog(instance, IDD_VERSION) { SetHelpTopic("about.html"); }

StatusDialog::StatusDialog(HINSTANCE instance, std::string text)
    : Dialog(instance, IDD_STATUS), text_(std::move(text)) {
  SetHelpTopic("bellwick-button.html#status-dialog");
}

bool StatusDialog::OnInit() {
  SetItemText(IDC_STATUS_TEXT, text_);
  return true;
}

EmergencyDialog::EmergencyDialog(HINSTANCE instance, std::vector<Account> accounts)
    : Dialog(instance, IDD_EMERGENCY), accounts_(std::move(accounts)) {
  SetHelpTopic("bellwick-button.html#emergency");
}

bool EmergencyDialog::OnInit() {
  int n = 0;
  for (const Account& account : accounts_) {
    char number[16];
    std::snprintf(number, sizeof number, "%2d", ++n);
    std::wstring item = Wide(std::string(number) + " " + account.name);
    SendItem(IDC_EMERGENCY_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (account.inEmergency) SendItem(IDC_EMERGENCY_LIST, LB_SETSEL, TRUE, n - 1);
  }
  return true;
}

bool EmergencyDialog::OnCommand(int id, int) {
  if (id != IDC_EMERGENCY_CLEAR) return false;
  SendItem(IDC_EMERGENCY_LIST, LB_SETSEL, FALSE, -1);
  return true;
}

bool EmergencyDialog::OnOK() {
  chosen.clear();
  int count = static_cast<int>(SendItem(IDC_EMERGENCY_LIST, LB_GETSELCOUNT));
  if (count > 0) {
    chosen.resize(static_cast<size_t>(count));
    SendItem(IDC_EMERGENCY_LIST, LB_GETSELITEMS, static_cast<WPARAM>(count),
             reinterpret_cast<LPARAM>(chosen.data()));
  }
  return true;
}

}  // namespace bw
