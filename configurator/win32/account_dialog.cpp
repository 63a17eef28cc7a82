// The account dialog and its pages (see account_dialog.h).
#include "configurator/win32/account_dialog.h"

#include <string>
#include <vector>

#include "configurator/win32/knobset_box.h"
#include "configurator/win32/account_dialog_ids.h"

namespace bw {
namespace {

const char kUnstorableText[] = "ﾌｧｲﾙに保存できない文字か長さの項目があります.";

}  // namespace

// ---- A page ----

bool AccountTabPage::OnInit() {
  FillBound(kAccountBindings, page_, draft_);
  if (!masked_.empty()) {
    // Masking is on at every opening; it is stored nowhere.
    SetChecked(IDC_MASKING, true);
    ShowMasking();
  }
  return false;
}

void AccountTabPage::OpenMasked(int control, const std::string& text) {
  masked_[control].Open(text, true);
}

std::string AccountTabPage::MaskedText(int control) const {
  return masked_.at(control).Real();
}

void AccountTabPage::ShowMasking() {
  const char passwordChar = IsChecked(IDC_MASKING) ? '*' : 0;
  settingText_ = true;
  for (const auto& [id, field] : masked_) {
    SendItem(id, EM_SETPASSWORDCHAR, static_cast<WPARAM>(passwordChar));
    SetItemText(id, field.Shown());
    InvalidateRect(Item(id), nullptr, TRUE);
  }
  settingText_ = false;
}

void AccountTabPage::ChooseRow(const FieldBinding& row, bool change) {
  // The page is read first so that a value out of range is reported before
  // anything is overwritten; the clicked row then stays as it was.
  if (Read()) {
    ShowChoiceRow(row, draft_.Text(row.key), IsWindowEnabled(Item(row.control)) != FALSE);
    return;
  }
  draft_.Set(row.key, ChoiceValue(row, change));
  ShowChoiceRow(row, draft_.Text(row.key), change);
}

bool AccountTabPage::OnCommand(int id, int code) {
  if (id == IDC_MASKING && code == BN_CLICKED) {
    for (auto& entry : masked_) entry.second.ApplyMasking(IsChecked(IDC_MASKING));
    ShowMasking();
    return true;
  }
  if (code == BN_CLICKED) {
    for (const FieldBinding& row : kAccountBindings) {
      if (row.page != page_ || row.kind != BindKind::kChoiceRow) continue;
      if (id != row.defaultRadio && id != row.changeRadio) continue;
      ChooseRow(row, id == row.changeRadio);
      return true;
    }
    return false;
  }
  auto masked = masked_.find(id);
  if (masked == masked_.end()) return false;
  MaskedField& field = masked->second;
  switch (code) {
    case EN_CHANGE:
      if (!settingText_) field.Changed(ItemText(id));
      return true;
    case EN_SETFOCUS:
      field.FocusGained();
      settingText_ = true;
      SetItemText(id, field.Shown());
      settingText_ = false;
      SendItem(id, EM_SETSEL, 0, -1);
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

const FieldBinding* AccountTabPage::Read() {
  return ReadBound(kAccountBindings, page_, draft_, "Knobset");
}

// ---- The dialog ----

AccountDialog::AccountDialog(AncestryPop3Checker& account)
    : PagedDialog(IDD_ACCOUNT, IDC_ACCOUNT_TABS),
      account_(account),
      draft_(DraftOf(kAccountKeyTable, account)),
      accountPage_(IDD_ACCOUNT_PAGE, kPageAccount, draft_),
      timeoutPage_(IDD_TIMEOUT_PAGE, kPageTimeouts, draft_),
      protocolPage_(IDD_PROTOCOL_PAGE, kPageProtocol, draft_) {}

bool AccountDialog::OnInit() {
  FillBound(kAccountBindings, kNoPage, draft_);
  SetUpPages({"ｱｶｳﾝﾄ", "ﾀｲﾑｱｳﾄ", "ﾌﾟﾛﾄｺﾙ"}, {&accountPage_, &timeoutPage_, &protocolPage_});
  // The dialog opens on its first field, not inside the page lying on top.
  SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_CONNECTION_NAME)), TRUE);
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
  if (ReadBound(kAccountBindings, kNoPage, draft_, "Knobset")) return false;
  // Each page is read in turn; the page holding a refused value is shown.
  AccountTabPage* pages[] = {&accountPage_, &timeoutPage_, &protocolPage_};
  for (int page = kPageAccount; page <= kPageProtocol; ++page) {
    if (pages[page]->Read()) {
      ShowPage(page);
      return false;
    }
  }
  const std::string message = RequiredFieldsMessage(kAccountBindings, draft_);
  if (!message.empty()) {
    ShowPage(kPageAccount);
    KnobsetBox(Handle(), message);
    return false;
  }
  // The record refuses a text that one line of the file cannot carry back
  // (a control character, or a user ID or password too long for a line).
  if (StoreDraft(kAccountKeyTable, draft_, account_) != kSetOk) {
    ShowPage(kPageAccount);
    KnobsetBox(Handle(), kUnstorableText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

}  // namespace bw
