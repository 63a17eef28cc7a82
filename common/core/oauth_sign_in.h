// The whole sign-in of an account, as Knobset's button and
// `bellwick-check --sign-in` run it: PKCE and state, the loopback listener,
// the browser on the provider's page, the redirect, the code exchange, and
// the refresh token in its stored form.
#pragma once
#include <functional>
#include <string>

#include "common/core/account_record.h"
#include "platform/https.h"

namespace bw::oauth {

enum SignInStatus : int {
  kSignInOk = 0,
  kSignInSettings = 1,      // provider, client ID or URLs missing or wrong
  kSignInNoRandom = 2,      // the system gave no random bytes or no SHA-256
  kSignInNoListener = 3,    // no loopback socket could be opened
  kSignInNoBrowser = 4,     // the browser could not be started
  kSignInRedirect = 5,      // the redirect was refused, wrong, late or cancelled
  kSignInToken = 6,         // the code exchange failed
  kSignInNoRefreshToken = 7,  // the provider gave no refresh token
  kSignInNotStored = 8,     // the token could not be protected or stored
};

struct SignInOptions {
  std::string browserCommand;  // empty: the system's browser
  int timeoutMs = 5 * 60 * 1000;
  std::function<bool()> cancelled;                    // asked while waiting
  std::function<void(const std::string& url)> showUrl;  // before the browser starts
  // Stores the token (in its stored form) before the browser is answered,
  // so that the page tells the whole outcome; returns the failure's message
  // (CP932), or empty when stored. None: the caller keeps it for later.
  std::function<std::string(const std::string& storedToken)> store;
};

struct SignInResult {
  int status = kSignInSettings;
  int detail = 0;            // the RedirectResult or TokenStatus behind it
  std::string message;       // CP932, for a message box or the terminal
  std::string storedToken;   // the refresh token as the file keeps it (kSignInOk)
};

SignInResult SignIn(const AncestryPop3Checker& account, net::HttpsClient& https, const SignInOptions& options);

}  // namespace bw::oauth
