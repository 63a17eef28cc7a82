// Signing in with OAuth 2.0: the providers' endpoints, the authorization-code
// flow with PKCE (S256) and the loopback redirect (http://127.0.0.1:PORT/).
// Portable: the HTTPS, random bytes and the browser come from platform/.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/core/account_record.h"

namespace bw::oauth {

// Values of the account's OAuthProvider.
enum Provider : int { kNoProvider = 0, kGoogle = 1, kMicrosoft = 2, kOtherProvider = 3 };

struct Endpoints {
  std::string authorizeUrl;
  std::string tokenUrl;
  std::string scope;
};

// The endpoints and scope of the account's provider: the public ones for
// Google and Microsoft, the account's own for another provider. False, with
// `error` (CP932, for the log or a message), when the provider is unknown or
// an endpoint is missing or not https.
bool ProviderEndpoints(const AncestryPop3Checker& account, Endpoints* endpoints, std::string* error);

// Percent-encoding for a query or form value (RFC 3986 unreserved kept).
std::string FormEncode(const std::string& text);

// PKCE: a verifier of 43 URL-safe characters from 32 random bytes, and its
// S256 challenge (empty when the system has no SHA-256). False when the
// system gave no random bytes.
bool MakeVerifier(std::string* verifier);
std::string S256Challenge(const std::string& verifier);
// A state value of 32 random bytes, URL-safe; false without random bytes.
bool MakeState(std::string* state);

// The provider's page the browser opens.
std::string AuthorizeUrl(const Endpoints& endpoints, const std::string& clientId,
                         const std::string& redirectUri, const std::string& state,
                         const std::string& challenge);

// What the browser brought back to the loopback address.
struct Redirect {
  std::string code;
  std::string state;
  std::string error;  // the provider's "error" (access_denied, ...)
};

// Results of reading the redirect.
enum RedirectResult : int {
  kRedirectOk = 0,
  kRedirectMalformed = 1,   // not "GET /?query HTTP/1.x", or a bad query
  kRedirectWrongState = 2,  // state missing or not ours
  kRedirectDenied = 3,      // the provider answered with an error
  kRedirectNoCode = 4,
  kRedirectTimedOut = 5,
  kRedirectCancelled = 6,
  kRedirectSocketFailed = 7,
};

// Parses the request line "GET /?code=..&state=.. HTTP/1.1" (without CR LF).
// Strict: the method GET, the path "/", a query of name=value pairs each
// named once, HTTP/1.0 or 1.1. Checks the state against `expectedState`.
int ParseRedirectLine(const std::string& requestLine, const std::string& expectedState,
                      Redirect* redirect);

// One listening socket on 127.0.0.1 for the redirect; it takes one request.
class LoopbackRedirect {
 public:
  LoopbackRedirect() = default;
  ~LoopbackRedirect();
  LoopbackRedirect(const LoopbackRedirect&) = delete;
  LoopbackRedirect& operator=(const LoopbackRedirect&) = delete;

  // Listens on a free port; false when no socket could be made.
  bool Open();
  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:PORT/"
  std::string RedirectUri() const;

  // Waits up to `timeoutMs` for the browser's request: the first whole
  // request head (at most 8 KiB, within 10 seconds of its connection; up to
  // four connections held at once, as a browser may open one ahead, a new
  // one pushing out the oldest idle one) is taken, and every other
  // connection is closed. Only its request line
  // counts. `cancelled`, asked about every 200 ms, ends the wait early. See
  // RedirectResult. The browser waits for its page until Answer.
  int Wait(int timeoutMs, const std::function<bool()>& cancelled, const std::string& expectedState,
           Redirect* redirect);
  // Answers the browser's request taken by Wait with a short page: success,
  // or the failure with `message` (CP932, one line), and closes it. Without
  // a call the browser is told of a failure when the listener ends.
  void Answer(bool signedIn, const std::string& message);

 private:
  std::uintptr_t listener_ = ~std::uintptr_t(0);
  std::uintptr_t browser_ = ~std::uintptr_t(0);  // the request awaiting its page
  std::uint16_t port_ = 0;
};

}  // namespace bw::oauth
