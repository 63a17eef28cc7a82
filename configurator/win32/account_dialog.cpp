// The account dialog and its pages (see account_dialog.h).
#include "configurator/win32/account_dialog.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/core/oauth_sign_in.h"
#include "common/core/param_syntax.h"
#include "configurator/core/record_fields.h"
#include "configurator/ids/account_dialog_ids.h"
#include "configurator/win32/knobset_box.h"
#include "platform/https.h"

namespace bw {
namespace {

const char kUnstorableText[] = "ﾌｧｲﾙに保存できない文字か長さの項目があります.";

// Posted by the sign-in's worker: the URL to show (kUrlShown), the end.
constexpr UINT kUrlShown = WM_APP + 1;
constexpr UINT kSignInDone = WM_APP + 2;

// The wait while a sign-in runs on a worker thread: the URL the browser was
// sent to, and "ｷｬﾝｾﾙ", which the sign-in notices within its polling time.
// The dialog ends only when the worker has ended.
class SignInWaitDialog : public Dialog {
 public:
  explicit SignInWaitDialog(const AncestryPop3Checker& account)
      : Dialog(GetModuleHandleW(nullptr), IDD_SIGN_IN_WAIT), account_(account) {}
  ~SignInWaitDialog() override {
    if (worker_.joinable()) worker_.join();
  }
  const oauth::SignInResult& Result() const { return result_; }

 protected:
  bool OnInit() override {
    HWND dialog = Handle();
    worker_ = std::thread([this, dialog] {
      oauth::SignInOptions options;
      options.cancelled = [this] { return cancelled_.load(); };
      options.showUrl = [this, dialog](const std::string& url) {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          url_ = url;
        }
        PostMessageW(dialog, kUrlShown, 0, 0);
      };
      auto https = net::HttpsClient::Create(std::string());
      result_ = oauth::SignIn(account_, *https, options);
      PostMessageW(dialog, kSignInDone, 0, 0);
    });
    return true;
  }
  bool OnCancel() override {
    cancelled_ = true;
    EnableItem(IDCANCEL, false);
    return false;
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) override {
    if (message == kUrlShown) {
      std::lock_guard<std::mutex> lock(mutex_);
      SetItemText(IDC_SIGN_IN_URL, url_);
      return true;
    }
    if (message == kSignInDone) {
      worker_.join();
      End(IDOK);
      return true;
    }
    return false;
  }

 private:
  const AncestryPop3Checker& account_;
  oauth::SignInResult result_;
  std::thread worker_;
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::string url_;
};

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

// ---- The OAuth page ----

bool OAuthTabPage::OnInit() {
  AccountTabPage::OnInit();
  EnableForProvider();
  ShowSignedIn();
  return false;
}

bool OAuthTabPage::OnCommand(int id, int code) {
  if (id == IDC_OAUTH_PROVIDER && code == CBN_SELCHANGE) {
    EnableForProvider();
    return true;
  }
  if (id == IDC_OAUTH_SIGN_IN && code == BN_CLICKED) {
    SignIn();
    return true;
  }
  return AccountTabPage::OnCommand(id, code);
}

void OAuthTabPage::EnableForProvider() {
  const int provider = static_cast<int>(SendItem(IDC_OAUTH_PROVIDER, CB_GETCURSEL));
  for (const FieldBinding& row : kAccountBindings)
    if (row.page == kPageOAuth && row.key != kOAuthProvider)
      EnableItem(row.control, OAuthKeyEnabled(row.key, provider));
  EnableItem(IDC_OAUTH_SIGN_IN, OAuthKeyEnabled(kOAuthToken, provider));
}

void OAuthTabPage::ShowSignedIn() {
  SetItemText(IDC_OAUTH_STATE, Draft().Text(kOAuthToken).empty() ? "未ｻｲﾝｲﾝ" : "ｻｲﾝｲﾝ済み");
}

void OAuthTabPage::SignIn() {
  if (Read()) return;
  // The sign-in sees the page's values on a scratch record; the account
  // itself changes only on OK, with the token the draft now holds.
  std::unique_ptr<AncestryPop3Checker> scratch(NewAccountRecord());
  scratch->Protocol = AtoiValue(Draft().Text(kProtocol));
  for (const FieldBinding& row : kAccountBindings)
    if (row.page == kPageOAuth && scratch->SetKeyText(row.key, Draft().Text(row.key)) != kSetOk) {
      KnobsetBox(Handle(), kUnstorableText, MB_OK | MB_ICONEXCLAMATION);
      return;
    }
  SignInWaitDialog wait(*scratch);
  if (wait.DoModal(Handle()) != IDOK) {
    KnobsetBox(Handle(), "サインインの画面を開けません.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const oauth::SignInResult& result = wait.Result();
  if (result.status == oauth::kSignInOk) {
    Draft().Set(kOAuthToken, result.storedToken);
    ShowSignedIn();
    KnobsetBox(Handle(), result.message, MB_OK | MB_ICONINFORMATION);
  } else {
    KnobsetBox(Handle(), result.message, MB_OK | MB_ICONEXCLAMATION);
  }
}

// ---- The protocol page ----

int ProtocolTabPage::Chosen(int control) const {
  const LRESULT index = SendItem(control, CB_GETCURSEL);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

bool ProtocolTabPage::OnInit() {
  AccountTabPage::OnInit();
  protocol_ = Chosen(IDC_PROTOCOL);
  EnableForProtocol();
  return false;
}

bool ProtocolTabPage::OnCommand(int id, int code) {
  if (id == IDC_PROTOCOL && code == CBN_SELCHANGE) {
    const int chosen = Chosen(IDC_PROTOCOL);
    if (chosen != protocol_ && changed_) changed_(protocol_, chosen, Chosen(IDC_TLS));
    protocol_ = chosen;
    // The sign-in on the OAuth page asks for the scope of this protocol.
    Draft().Set(kProtocol, std::to_string(chosen));
    EnableForProtocol();
    return true;
  }
  return AccountTabPage::OnCommand(id, code);
}

void ProtocolTabPage::EnableForProtocol() {
  for (const FieldBinding& row : kAccountBindings)
    if (row.page == kPageProtocol) EnableItem(row.control, ProtocolKeyEnabled(row.key, protocol_));
}

// ---- The dialog ----

AccountDialog::AccountDialog(AncestryPop3Checker& account)
    : PagedDialog(IDD_ACCOUNT, IDC_ACCOUNT_TABS),
      account_(account),
      draft_(DraftOf(kAccountKeyTable, account)),
      accountPage_(IDD_ACCOUNT_PAGE, kPageAccount, draft_),
      timeoutPage_(IDD_TIMEOUT_PAGE, kPageTimeouts, draft_),
      protocolPage_(IDD_PROTOCOL_PAGE, kPageProtocol, draft_,
                    [this](int from, int to, int useTls) {
                      // The usual port follows the protocol; one the user
                      // chose stays.
                      SetItemText(IDC_SERVICE_NAME,
                                  ServiceForProtocol(ItemText(IDC_SERVICE_NAME), from, to, useTls));
                    }),
      oauthPage_(IDD_OAUTH_PAGE, kPageOAuth, draft_) {}

bool AccountDialog::OnInit() {
  FillBound(kAccountBindings, kNoPage, draft_);
  SetUpPages({"ｱｶｳﾝﾄ", "ﾀｲﾑｱｳﾄ", "ﾌﾟﾛﾄｺﾙ", "OAuth"},
             {&accountPage_, &timeoutPage_, &protocolPage_, &oauthPage_});
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
  AccountTabPage* pages[] = {&accountPage_, &timeoutPage_, &protocolPage_, &oauthPage_};
  for (int page = kPageAccount; page <= kPageOAuth; ++page) {
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
