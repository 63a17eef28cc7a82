// Account dialog behaviour (see account_model.h).
#include "configurator/core/account_model.h"

#include "common/core/account_record.h"
#include "configurator/ids/account_dialog_ids.h"

namespace bw {

const char kMaskPlaceholder[] = "------------------------------------------";

void MaskedField::Open(const std::string& value, bool masking) {
  real_ = value;
  focused_ = false;
  ApplyMasking(masking);
}

void MaskedField::ApplyMasking(bool masking) {
  masking_ = masking;
  // A focused box keeps showing what the user edits.
  shown_ = masking_ && !focused_ && !real_.empty() ? kMaskPlaceholder : real_;
}

void MaskedField::Changed(const std::string& boxText) {
  // The window layer does not report the texts it sets itself, so every
  // change reported here is the user's own.
  real_ = boxText;
  shown_ = boxText;
}

void MaskedField::FocusGained() {
  focused_ = true;
  shown_ = real_;
}

void MaskedField::FocusLost(const std::string& boxText) {
  focused_ = false;
  real_ = boxText;
  ApplyMasking(masking_);
}

namespace {

// The OAuth settings are one file line each: 255 bytes leave room for the
// key name within a line the reader takes whole.
constexpr int kOAuthTextLength = 255;

const FieldBinding kRows[] = {
    TextBinding(IDC_CONNECTION_NAME, kConnectionName, kNoPage, 64, "接続名は必須入力項目です\r\n"),
    TextBinding(IDC_HOST_NAME, kHostName, kNoPage, 64, "ﾎｽﾄ名は必須入力項目です.\r\n"),
    TextBinding(IDC_SERVICE_NAME, kServiceName, kNoPage, 64, "ｻｰﾋﾞｽ名は必須入力項目です.\r\n"),
    MaskedBinding(IDC_USER_ID, kUserID, kPageAccount, "ﾕｰｻﾞIDは必須入力項目です.\r\n"),
    WaivedBy(MaskedBinding(IDC_PASSWORD, kPassword, kPageAccount, "ﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n"),
             kOAuthProvider),
    NumberBinding(IDC_CYCLE, kCycleMinutes, kPageAccount, 1, 999),
    ChoiceRowBinding(IDC_DNS_DEFAULT, IDC_DNS_CHANGE, IDC_DNS_SEC, kTOofDNS_Sec, kPageTimeouts, 0, 30),
    ChoiceRowBinding(IDC_CONNECT_DEFAULT, IDC_CONNECT_CHANGE, IDC_CONNECT_SEC, kTOofConnect_Sec,
                     kPageTimeouts, 0, 30),
    ChoiceRowBinding(IDC_SENDRECV_DEFAULT, IDC_SENDRECV_CHANGE, IDC_SENDRECV_SEC, kTOofSendRecv_Sec,
                     kPageTimeouts, 0, 30),
    CheckBinding(IDC_CONTINUE_TIMEOUT, kContinueTimeout, kPageTimeouts),
    CheckBinding(IDC_CONTINUE_CONNECT, kContinueConnectER, kPageTimeouts),
    ComboBinding(IDC_APOP, kUseAPOP, kPageProtocol, {"自動", "する", "しない"}),
    ComboBinding(IDC_TLS, kUseTLS, kPageProtocol, {"しない", "POP3S", "STLS"}),
    CheckBinding(IDC_UIDL, kUseUIDL, kPageProtocol),
    CheckBinding(IDC_NO_QUIT, kDisconnectNoQuit, kPageProtocol),
    ComboBinding(IDC_OAUTH_PROVIDER, kOAuthProvider, kPageOAuth,
                 {"使わない(ﾊﾟｽﾜｰﾄﾞ)", "Google", "Microsoft", "その他"}),
    TextBinding(IDC_OAUTH_CLIENT_ID, kOAuthClientID, kPageOAuth, kOAuthTextLength),
    TextBinding(IDC_OAUTH_CLIENT_SECRET, kOAuthClientSecret, kPageOAuth, kOAuthTextLength),
    TextBinding(IDC_OAUTH_AUTHORIZE_URL, kOAuthAuthorizeURL, kPageOAuth, kOAuthTextLength),
    TextBinding(IDC_OAUTH_TOKEN_URL, kOAuthTokenURL, kPageOAuth, kOAuthTextLength),
    TextBinding(IDC_OAUTH_SCOPE, kOAuthScope, kPageOAuth, kOAuthTextLength),
};

}  // namespace

const BindingTable kAccountBindings = {kRows, sizeof kRows / sizeof kRows[0]};

const char kDuplicateAccountText[] = "接続名, ﾎｽﾄ名, ﾕｰｻﾞIDの同じｱｶｳﾝﾄが既にあります.";

bool DuplicatesAnotherAccount(const RecordDraft& draft, const AncestryPop3Checker* head,
                              const AncestryPop3Checker* self) {
  // The three as the file would keep them.
  std::string names[3];
  const int keys[3] = {kConnectionName, kHostName, kUserID};
  for (int k = 0; k < 3; ++k) {
    names[k] = draft.Text(keys[k]);
    NormaliseValueText("ConnectionName", 2, &names[k]);
  }
  bool found = false;
  WalkRing(const_cast<AncestryPop3Checker*>(head), [&](AncestryPop3Checker* a) {
    found = found || (a != self && a->ConnectionName == names[0] && a->HostName == names[1] && a->UserID == names[2]);
  });
  return found;
}

bool DropTokenOfAnotherClient(RecordDraft& draft, const OAuthClient& issuer, const OAuthClient& shown) {
  if (draft.Text(kOAuthToken).empty()) return false;
  // Compared as the file would keep the client ID.
  std::string issued = issuer.clientId, now = shown.clientId;
  NormaliseValueText("OAuthClientID", 2, &issued);
  NormaliseValueText("OAuthClientID", 2, &now);
  if (issuer.provider == shown.provider && issued == now) return false;
  draft.Set(kOAuthToken, "");
  return true;
}

bool OAuthKeyEnabled(int key, int provider) {
  switch (key) {
    case kOAuthAuthorizeURL:
    case kOAuthTokenURL:
    case kOAuthScope:
      return provider == 3;
    default:
      return provider != 0;
  }
}

}  // namespace bw
