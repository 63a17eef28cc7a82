// The account dialog's behaviour without a window: its fields bound to the
// account keys, and the masking of the user ID and password.
#pragma once
#include <string>

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
  void Changed(const std::string& boxText);
  // The box gained the focus: it shows the real value to edit.
  void FocusGained();
  // The box lost the focus holding `boxText`.
  void FocusLost(const std::string& boxText);

  const std::string& Real() const { return real_; }
  const std::string& Shown() const { return shown_; }
  bool Masking() const { return masking_; }

 private:
  std::string real_;
  std::string shown_;
  bool masking_ = true;
  bool focused_ = false;
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

}  // namespace bw
