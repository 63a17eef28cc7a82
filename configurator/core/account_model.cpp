// Account dialog behaviour (see account_model.h).
#include "configurator/core/account_model.h"

#include <cstddef>
#include <string>

#include "common/core/account_record.h"
#include "configurator/ids/account_dialog_ids.h"

namespace bw {

const char kMaskPlaceholder[] = "------------------------------------------";

void MaskedField::Open(const std::string& value, bool masking) {
  real_ = value;
  focused_ = false;
  holdable_ = true;
  ApplyMasking(masking);
}

void MaskedField::ApplyMasking(bool masking) {
  masking_ = masking;
  // A focused box keeps showing what the user edits.
  shown_ = masking_ && !focused_ && !real_.empty() ? kMaskPlaceholder : real_;
}

void MaskedField::Changed(const std::string& boxText, bool holdable) {
  // The window layer does not report the texts it sets itself, so every
  // change reported here is the user's own.
  real_ = boxText;
  shown_ = boxText;
  holdable_ = holdable;
}

void MaskedField::FocusGained() {
  focused_ = true;
  shown_ = real_;
}

void MaskedField::FocusLost(const std::string& boxText, bool holdable) {
  focused_ = false;
  real_ = boxText;
  holdable_ = holdable;
  ApplyMasking(masking_);
}

namespace {

// The OAuth settings and the folder list are one file line each: 255 bytes
// leave room for the key name within a line the reader takes whole.
constexpr int kLineTextLength = 255;

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
    ComboBinding(IDC_PROTOCOL, kProtocol, kPageProtocol, {"POP3", "IMAP"}),
    TextBinding(IDC_IMAP_FOLDERS, kImapFolders, kPageProtocol, kLineTextLength),
    ComboBinding(IDC_APOP, kUseAPOP, kPageProtocol, {"自動", "する", "しない"}),
    ComboBinding(IDC_TLS, kUseTLS, kPageProtocol, {"しない", "POP3S/IMAPS", "STLS/STARTTLS"}),
    CheckBinding(IDC_USE_IDLE, kUseIdle, kPageProtocol),
    CheckBinding(IDC_UIDL, kUseUIDL, kPageProtocol),
    CheckBinding(IDC_NO_QUIT, kDisconnectNoQuit, kPageProtocol),
    ComboBinding(IDC_OAUTH_PROVIDER, kOAuthProvider, kPageOAuth,
                 {"使わない(ﾊﾟｽﾜｰﾄﾞ)", "Google", "Microsoft", "その他"}),
    TextBinding(IDC_OAUTH_CLIENT_ID, kOAuthClientID, kPageOAuth, kLineTextLength),
    TextBinding(IDC_OAUTH_CLIENT_SECRET, kOAuthClientSecret, kPageOAuth, kLineTextLength),
    TextBinding(IDC_OAUTH_AUTHORIZE_URL, kOAuthAuthorizeURL, kPageOAuth, kLineTextLength),
    TextBinding(IDC_OAUTH_TOKEN_URL, kOAuthTokenURL, kPageOAuth, kLineTextLength),
    TextBinding(IDC_OAUTH_SCOPE, kOAuthScope, kPageOAuth, kLineTextLength),
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

bool ProtocolKeyEnabled(int key, int protocol) {
  switch (key) {
    case kUseAPOP:
    case kUseUIDL:
    case kDisconnectNoQuit:
      return protocol == 0;
    case kImapFolders:
    case kUseIdle:
      return protocol == 1;
    default:
      return true;
  }
}

std::string ServiceForProtocol(const std::string& service, int from, int to, int useTls) {
  if (from == to || from < 0 || from > 1 || to < 0 || to > 1) return service;
  // Each protocol's usual services, in the clear and with TLS from the
  // first byte, as numbers and as names.
  static const char* const kUsual[2][2][2] = {{{"110", "995"}, {"pop3", "pop3s"}},
                                              {{"143", "993"}, {"imap", "imaps"}}};
  const std::size_t first = service.find_first_not_of(" \t");
  const std::size_t last = service.find_last_not_of(" \t");
  const std::string given = first == std::string::npos ? std::string() : service.substr(first, last - first + 1);
  for (int form = 0; form < 2; ++form)
    for (int tls = 0; tls < 2; ++tls)
      if (given == kUsual[from][form][tls]) return kUsual[to][form][useTls == 1 ? 1 : 0];
  return service;
}

}  // namespace bw
