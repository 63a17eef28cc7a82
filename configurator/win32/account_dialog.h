// The account dialog: three fields of its own and four embedded pages
// (account, time-outs, protocol, OAuth) behind a tab control. Every field is a row
// of the account's binding table (configurator/core/account_model.h); the
// dialog edits a draft of the record and stores it on OK.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <utility>

#include "common/core/account_record.h"
#include "configurator/core/account_model.h"
#include "configurator/ids/account_dialog_ids.h"
#include "configurator/win32/bound_dialog.h"
#include "configurator/win32/paged_dialog.h"

namespace bw {

// One page: its rows of the binding table, the masking of its masked rows
// (the "「*」表示にする" box) and the radios of its choice rows.
class AccountTabPage : public BoundDialog {
 public:
  AccountTabPage(int templateId, int page, RecordDraft& draft)
      : BoundDialog(GetModuleHandleW(nullptr), templateId), page_(page), draft_(draft) {}
  // Reads the page into the draft; the refused row (after its message), or
  // none.
  const FieldBinding* Read();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  void OpenMasked(int control, const std::string& text) override;
  std::string MaskedText(int control) const override;
  RecordDraft& Draft() { return draft_; }

 private:
  // Shows the masking state in the masked boxes without reporting it as
  // typing.
  void ShowMasking();
  // A radio of a choice row was clicked.
  void ChooseRow(const FieldBinding& row, bool change);

  int page_;
  RecordDraft& draft_;
  std::map<int, MaskedField> masked_;  // by control id
  bool settingText_ = false;
};

// The OAuth page: its fields enabled by the provider chosen, and the
// sign-in, whose token goes into the draft (stored with the rest on OK).
class OAuthTabPage : public AccountTabPage {
 public:
  OAuthTabPage(int templateId, int page, RecordDraft& draft)
      : AccountTabPage(templateId, page, draft) {}

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  void EnableForProvider();
  void ShowSignedIn();
  void SignIn();
};

// The protocol page: the POP3-only controls and the folder list enabled by
// the protocol chosen; a change of protocol is told to the dialog, which
// holds the service name.
class ProtocolTabPage : public AccountTabPage {
 public:
  // `changed(from, to, useTls)` runs when the user picks another protocol.
  ProtocolTabPage(int templateId, int page, RecordDraft& draft,
                  std::function<void(int, int, int)> changed)
      : AccountTabPage(templateId, page, draft), changed_(std::move(changed)) {}

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  int Chosen(int control) const;
  void EnableForProtocol();

  std::function<void(int, int, int)> changed_;
  int protocol_ = 0;
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
  RecordDraft draft_;
  AccountTabPage accountPage_;
  AccountTabPage timeoutPage_;
  ProtocolTabPage protocolPage_;
  OAuthTabPage oauthPage_;
};

}  // namespace bw
