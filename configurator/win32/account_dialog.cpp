// The account dialog and its pages (see account_dialog.h).
#include "configurator/win32/account_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/core/key_table.h"
#include "configurator/core/main_rules.h"
#include "configurator/core/field_text.h"
#include "configurator/win32/knobset_box.h"

namespace bw {
namespace {

// Reads a number box; shows the range message and focuses the box when the
// value is refused.
bool ReadNumber(Dialog& page, int id, int lo, int hi, int* value) {
  const NumberCheck check = ReadNumberField(page.ItemText(id), lo, hi, value);
  if (check == NumberCheck::kOk) return true;
  KnobsetBox(page.Handle(), NumberMessage(check, lo, hi), MB_OK | MB_ICONEXCLAMATION);
  SetFocus(page.Item(id));
  SendMessageA(page.Item(id), EM_SETSEL, 0, -1);
  return false;
}

std::string Number(int value) { return std::to_string(value); }

const int kTimeoutIds[3][3] = {
    {IDC_DNS_DEFAULT, IDC_DNS_CHANGE, IDC_DNS_SEC},
    {IDC_CONNECT_DEFAULT, IDC_CONNECT_CHANGE, IDC_CONNECT_SEC},
    {IDC_SENDRECV_DEFAULT, IDC_SENDRECV_CHANGE, IDC_SENDRECV_SEC},
};

const char kUnstorableText[] = "ﾌｧｲﾙに保存できない文字か長さの項目があります.";

}  // namespace

// ---- Account page ----

bool AccountPage::OnInit() {
  SetItemText(IDC_CYCLE, Number(fields_.cycleMinutes));
  // Masking is on at every opening; it is stored nowhere.
  SetChecked(IDC_MASKING, true);
  user_.Open(fields_.userId, true);
  password_.Open(fields_.password, true);
  ShowMasking();
  return false;
}

void AccountPage::ShowMasking() {
  const char passwordChar = IsChecked(IDC_MASKING) ? '*' : 0;
  settingText_ = true;
  for (int id : {IDC_USER_ID, IDC_PASSWORD}) {
    SendMessageA(Item(id), EM_SETPASSWORDCHAR, static_cast<WPARAM>(passwordChar), 0);
    SetItemText(id, FieldOf(id).Shown());
    InvalidateRect(Item(id), nullptr, TRUE);
  }
  settingText_ = false;
}

bool AccountPage::OnCommand(int id, int code) {
  if (id == IDC_MASKING && code == BN_CLICKED) {
    user_.ApplyMasking(IsChecked(IDC_MASKING));
    password_.ApplyMasking(IsChecked(IDC_MASKING));
    ShowMasking();
    return true;
  }
  if (id != IDC_USER_ID && id != IDC_PASSWORD) return false;
  MaskedField& field = FieldOf(id);
  switch (code) {
    case EN_CHANGE:
      if (!settingText_) field.Changed(ItemText(id));
      return true;
    case EN_SETFOCUS:
      field.FocusGained();
      settingText_ = true;
      SetItemText(id, field.Shown());
      settingText_ = false;
      SendMessageA(Item(id), EM_SETSEL, 0, -1);
      return true;
    case EN_KILLFOCUS:
      field.FocusLost(ItemText(id));
      settingText_ = true;
      SetItemText(id, field.Shown());
      settingText_ = false;
      return true;
    default:
      return false;
  }
}

bool AccountPage::Read() {
  int cycle = 0;
  if (!ReadNumber(*this, IDC_CYCLE, 1, 999, &cycle)) return false;
  fields_.cycleMinutes = cycle;
  fields_.userId = user_.Real();
  fields_.password = password_.Real();
  return true;
}

// ---- Time-out page ----

bool TimeoutPage::OnInit() {
  rows_[0].Open(fields_.toDnsSec);
  rows_[1].Open(fields_.toConnectSec);
  rows_[2].Open(fields_.toSendRecvSec);
  for (int row = 0; row < 3; ++row) ShowRow(row);
  SetChecked(IDC_CONTINUE_TIMEOUT, fields_.continueTimeout != 0);
  SetChecked(IDC_CONTINUE_CONNECT, fields_.continueConnectEr != 0);
  return false;
}

void TimeoutPage::ShowRow(int row) {
  CheckRadioButton(Handle(), kTimeoutIds[row][0], kTimeoutIds[row][1],
                   rows_[row].changed ? kTimeoutIds[row][1] : kTimeoutIds[row][0]);
  SetItemText(kTimeoutIds[row][2], Number(rows_[row].value));
  EnableItem(kTimeoutIds[row][2], rows_[row].changed);
}

bool TimeoutPage::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  for (int row = 0; row < 3; ++row) {
    if (id != kTimeoutIds[row][0] && id != kTimeoutIds[row][1]) continue;
    // The boxes are read first so that a value out of range is reported
    // before anything is overwritten.
    if (!Read()) {
      ShowRow(row);
      return true;
    }
    if (id == kTimeoutIds[row][0]) {
      rows_[row].ChooseDefault();
    } else {
      rows_[row].ChooseChange();
    }
    ShowRow(row);
    return true;
  }
  return false;
}

bool TimeoutPage::Read() {
  for (int row = 0; row < 3; ++row) {
    if (!rows_[row].changed) continue;
    if (!ReadNumber(*this, kTimeoutIds[row][2], 0, 30, &rows_[row].value)) return false;
  }
  fields_.toDnsSec = rows_[0].value;
  fields_.toConnectSec = rows_[1].value;
  fields_.toSendRecvSec = rows_[2].value;
  fields_.continueTimeout = IsChecked(IDC_CONTINUE_TIMEOUT);
  fields_.continueConnectEr = IsChecked(IDC_CONTINUE_CONNECT);
  return true;
}

// ---- Protocol page ----

bool ProtocolPage::OnInit() {
  for (const char* text : {"自動", "する", "しない"})
    SendMessageA(Item(IDC_APOP), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  // A stored value outside the list selects nothing and is kept on OK.
  SendMessageA(Item(IDC_APOP), CB_SETCURSEL, static_cast<WPARAM>(fields_.useApop), 0);
  for (const char* text : {"しない", "POP3S", "STLS"})
    SendMessageA(Item(IDC_TLS), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(Item(IDC_TLS), CB_SETCURSEL, static_cast<WPARAM>(fields_.useTls), 0);
  SetChecked(IDC_UIDL, fields_.useUidl != 0);
  SetChecked(IDC_NO_QUIT, fields_.disconnectNoQuit != 0);
  return false;
}

bool ProtocolPage::Read() {
  const LRESULT apop = SendMessageA(Item(IDC_APOP), CB_GETCURSEL, 0, 0);
  if (apop != CB_ERR) fields_.useApop = static_cast<int>(apop);
  const LRESULT tls = SendMessageA(Item(IDC_TLS), CB_GETCURSEL, 0, 0);
  if (tls != CB_ERR) fields_.useTls = static_cast<int>(tls);
  fields_.useUidl = IsChecked(IDC_UIDL);
  fields_.disconnectNoQuit = IsChecked(IDC_NO_QUIT);
  return true;
}

// ---- The dialog ----

AccountDialog::AccountDialog(AncestryPop3Checker& account)
    : PagedDialog(IDD_ACCOUNT, IDC_ACCOUNT_TABS),
      account_(account),
      fields_(ReadAccountFields(account)),
      accountPage_(fields_),
      timeoutPage_(fields_),
      protocolPage_(fields_) {}

bool AccountDialog::OnInit() {
  for (int id : {IDC_CONNECTION_NAME, IDC_HOST_NAME, IDC_SERVICE_NAME})
    SendMessageA(Item(id), EM_LIMITTEXT, 64, 0);
  SetItemText(IDC_CONNECTION_NAME, fields_.connectionName);
  SetItemText(IDC_HOST_NAME, fields_.hostName);
  SetItemText(IDC_SERVICE_NAME, fields_.serviceName);

  SetUpPages({"ｱｶｳﾝﾄ", "ﾀｲﾑｱｳﾄ", "ﾌﾟﾛﾄｺﾙ"}, {&accountPage_, &timeoutPage_, &protocolPage_});
  // The dialog opens on its first field, not inside the page lying on top.
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_CONNECTION_NAME)), TRUE);
  return false;
}

std::vector<HWND> AccountDialog::TabRing() const {
  // The dialog's own fields, the tab control, the shown page's controls,
  // then OK and Cancel. Leaving the page forwards reaches OK, backwards the
  // tab control; Tab on the tab control enters the page.
  std::vector<HWND> ring;
  for (int id : {IDC_CONNECTION_NAME, IDC_HOST_NAME, IDC_SERVICE_NAME, IDC_ACCOUNT_TABS})
    ring.push_back(Item(id));
  AddShownPage(&ring);
  ring.push_back(Item(IDOK));
  ring.push_back(Item(IDCANCEL));
  return ring;
}

bool AccountDialog::OnOK() {
  std::string message;
  for (int id : {IDC_CONNECTION_NAME, IDC_HOST_NAME, IDC_SERVICE_NAME}) {
    const std::string text = ItemText(id);
    if (text.size() > 64) {
      message = LengthMessage(64);
      KnobsetBox(Handle(), message, MB_OK | MB_ICONEXCLAMATION);
      SetFocus(Item(id));
      return false;
    }
  }
  fields_.connectionName = ItemText(IDC_CONNECTION_NAME);
  fields_.hostName = ItemText(IDC_HOST_NAME);
  fields_.serviceName = ItemText(IDC_SERVICE_NAME);
  // Each page is read in turn; the page holding a refused value is shown.
  if (!accountPage_.Read()) {
    ShowPage(0);
    return false;
  }
  if (!timeoutPage_.Read()) {
    ShowPage(1);
    return false;
  }
  if (!protocolPage_.Read()) {
    ShowPage(2);
    return false;
  }
  message = RequiredFieldsMessage(fields_.connectionName, fields_.hostName,
                                  fields_.serviceName, fields_.userId, fields_.password);
  if (!message.empty()) {
    ShowPage(0);
    KnobsetBox(Handle(), message);
    return false;
  }
  // The record refuses a text that one line of the file cannot carry back
  // (a control character, or a user ID or password too long for a line).
  if (WriteAccountFields(account_, fields_) != kSetOk) {
    ShowPage(0);
    KnobsetBox(Handle(), kUnstorableText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

}  // namespace bw
