// The account dialog: three fields of its own and three embedded pages
// (account, time-outs, protocol) behind a tab control.
#pragma once
#include <windows.h>

#include "configurator/core/account_model.h"
#include "configurator/core/record_fields.h"
#include "common/win32/dialog.h"
#include "configurator/win32/paged_dialog.h"
#include "configurator/win32/account_dialog_ids.h"

namespace bw {

// "ｱｶｳﾝﾄ": user ID and password with their masking, and the cycle.
class AccountPage : public Dialog {
 public:
  explicit AccountPage(AccountFields& fields)
      : Dialog(GetModuleHandleA(nullptr), IDD_ACCOUNT_PAGE), fields_(fields) {}
  // Reads the page into the fields; false after showing a range message.
  bool Read();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  MaskedField& FieldOf(int id) { return id == IDC_USER_ID ? user_ : password_; }
  // Shows the masking state in both boxes without reporting it as typing.
  void ShowMasking();
  
  AccountFields& fields_;
  MaskedField user_, password_;
  bool settingText_ = false;
};

// "ﾀｲﾑｱｳﾄ": three radio pairs with their number boxes and two check boxes.
class TimeoutPage : public Dialog {
 public:
  explicit TimeoutPage(AccountFields& fields)
      : Dialog(GetModuleHandleA(nullptr), IDD_TIMEOUT_PAGE), fields_(fields) {}
  bool Read();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  void ShowRow(int row);
  AccountFields& fields_;
  TimeoutRow rows_[3];
};

// "ﾌﾟﾛﾄｺﾙ": APOP choice, UIDL, QUIT and the TLS choice.
class ProtocolPage : public Dialog {
 public:
  explicit ProtocolPage(AccountFields& fields)
      : Dialog(GetModuleHandleA(nullptr), IDD_PROTOCOL_PAGE), fields_(fields) {}
  bool Read();

 protected:
  bool OnInit() override;

 private:
  AccountFields& fields_;
};

class AccountDialog : public PagedDialog {
 public:
  // Edits `account` in place only when the user confirms with OK.
  explicit AccountDialog(AncestryPop3Checker& account);

 protected:
  bool OnInit() override;
  bool OnOK() override;
  std::vector<HWND> TabRing() const override;

 private:
  AncestryPop3Checker& account_;
  AccountFields fields_;
  AccountPage accountPage_;
  TimeoutPage timeoutPage_;
  ProtocolPage protocolPage_;
};

}  // namespace bw
