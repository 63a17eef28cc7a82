// The account dialog's behaviour without a window: its fields bound to the
// account keys, and the masking of the user ID and password.
#pragma once
#include <string>

#include "common/core/account_record.h"
#include "configurator/core/field_binding.h"

namespace bw {

// The fixed text a masked, non-empty box shows: it never tells the length.
extern const char kMaskPlaceholder[];

// One masked edit box: the real value and the text the box shows.
class MaskedField {
 public:
  void Open(const std::string& value, bool masking);
  // The masking check box changed: plain values, or the placeholder.
  void ApplyMasking(bool masking);
  // The user typed: the real value follows the box while it has the focus.
  // `holdable` false: the box holds text Shift_JIS cannot carry (boxText is
  // its lossy form); see TypedTextKept.
  void Changed(const std::string& boxText, bool holdable = true);
  // The box gained the focus: it shows the real value to edit.
  void FocusGained();
  // The box lost the focus holding `boxText`.
  void FocusLost(const std::string& boxText, bool holdable = true);

  const std::string& Real() const { return real_; }
  const std::string& Shown() const { return shown_; }
  bool Masking() const { return masking_; }
  // True while the box holds text Shift_JIS cannot carry: the box must keep
  // exactly what the user typed (never the lossy Shown(), nor the
  // placeholder), so that every OK finds and refuses it until it is edited.
  bool TypedTextKept() const { return !holdable_; }

 private:
  std::string real_;
  std::string shown_;
  bool masking_ = true;
  bool focused_ = false;
  bool holdable_ = true;
};

// The account dialog's pages, in tab order ("ｱｶｳﾝﾄ", "ﾀｲﾑｱｳﾄ", "ﾌﾟﾛﾄｺﾙ",
// "OAuth").
enum AccountDialogPage { kPageAccount = 0, kPageTimeouts = 1, kPageProtocol = 2, kPageOAuth = 3 };

// Every field of the account dialog, bound to its account key, in the order
// OK reads them: the dialog's own fields, then each page. The rows hold the
// limits (names of at most 64 characters, cycle 1..999 minutes, time-outs
// 0..30 seconds) and the required-field lines in their message's order.
extern const BindingTable kAccountBindings;

// Whether the OAuth page's control for `key` is enabled with `provider`
// (OAuthProvider: 0 password, 1 Google, 2 Microsoft, 3 another): the client
// and the sign-in (kOAuthToken) with any provider, the endpoints and the
// scope only for another provider, since the programs know those of Google
// and Microsoft.
bool OAuthKeyEnabled(int key, int provider);

// Whether the protocol page's control for `key` is enabled with `protocol`
// (Protocol: 0 POP3, 1 IMAP): APOP, UIDL and leaving without QUIT are POP3's
// alone, the folder list IMAP's; the rest serve both.
bool ProtocolKeyEnabled(int key, int protocol);

// The service name after the protocol changes from `from` to `to` (0 POP3,
// 1 IMAP) with `useTls` (UseTLS): while `service` still names the old
// protocol's usual port (110 or 995, 143 or 993, or the names pop3, pop3s,
// imap, imaps), the new protocol's usual one of the same form, 995 or 993
// for TLS from the first byte; any other service the user chose stays.
std::string ServiceForProtocol(const std::string& service, int from, int to, int useTls);

// Whether another account of the ring at `head` (not `self`) has the
// ConnectionName, HostName and UserID the draft gives: no one could tell
// such a pair apart (a refreshed token could not be saved to either), so
// the dialog refuses it as a duplicate.
bool DuplicatesAnotherAccount(const RecordDraft& draft, const AncestryPop3Checker* head,
                              const AncestryPop3Checker* self);
extern const char kDuplicateAccountText[];

// The provider (its OAuthProvider number) and client ID a token was issued
// for, or that the OAuth page shows.
struct OAuthClient {
  int provider = 0;
  std::string clientId;
};
// A token serves only the provider and client that issued it: once the page
// shows another, the draft's token is dropped (the next check would fail
// with it and ask for a sign-in anyway). True when a token was dropped.
bool DropTokenOfAnotherClient(RecordDraft& draft, const OAuthClient& issuer, const OAuthClient& shown);

}  // namespace bw
