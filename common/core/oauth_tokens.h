// The token endpoint: trading the sign-in's code, or the stored refresh
// token, for an access token; and the access token kept in memory between
// checks.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "common/core/oauth_flow.h"
#include "platform/https.h"

namespace bw::oauth {

// What came of one token request.
enum TokenStatus : int {
  kTokenOk = 0,
  kTokenUnreachable = 1,  // no answer: the endpoint cannot be reached or timed out
  kTokenTlsFailed = 2,    // the TLS handshake failed (no TLS 1.2 on this system?)
  kTokenCertificate = 3,  // the endpoint's certificate was refused
  kTokenInvalidGrant = 4, // the grant was refused or revoked: sign in again
  kTokenRefused = 5,      // any other error answer (invalid_client, ...)
  kTokenMalformed = 6,    // a reply that is no token answer
  kTokenUnavailable = 7,  // the endpoint cannot answer for now (HTTP 5xx or 429,
                          // server_error, temporarily_unavailable): try again
};

// A lifetime the provider gives is taken within 0 seconds to one year, so
// that no value it sends can overflow the time sums made with it.
constexpr long long kMaxLifetimeSeconds = 365LL * 24 * 60 * 60;

struct TokenReply {
  int status = kTokenMalformed;
  std::string accessToken;
  std::string refreshToken;     // empty when the provider sent none
  long long expiresIn = -1;     // seconds, 0 to kMaxLifetimeSeconds; -1 when not given
  bool expiresClamped = false;  // the answer's expires_in lay outside that range
  std::string reason;           // for the log, CP932, escaped; never a secret
};

// Text from outside (a provider's error or error_description, the HTTPS
// library's reason, which may quote a certificate) made fit for the log,
// stderr, a message box and the browser's page: every secret of the
// exchange in it masked first, whole or any 8 characters of it running
// together, as "********"; then UTF-8 taken to Shift_JIS, characters
// Shift_JIS lacks as "[U+HHHH]", control bytes and bytes that are no UTF-8
// as "\xHH" (backslash, x, two hex digits); at most `limit` bytes, cut before a whole character or
// escape, followed by "..." when cut.
std::string ProviderText(const std::string& text, const std::vector<std::string>& secrets,
                         std::size_t limit = 120);

// True for a token RFC 6749 allows: one or more printable ASCII characters
// (%x20-7E). Anything else could end or add a line where it is stored.
bool PrintableToken(const std::string& token);

// Why a printable refresh token cannot stand in the parameter file as it
// is (natively it is stored as it came): "空白だけ", "末尾が空白", "{ か } だけ",
// or "書けない文字" for anything else.
const char* UnstorableTokenText(const std::string& token);

// Reads the endpoint's answer (JSON). A 200 without access_token, or with a
// token that is not PrintableToken, is malformed. `secrets` are masked in
// every text of the answer that reaches the reason.
TokenReply ParseTokenReply(const net::HttpsReply& reply, const std::vector<std::string>& secrets = {});

// The requests. `clientSecret` may be empty.
TokenReply ExchangeCode(net::HttpsClient& https, const Endpoints& endpoints, const std::string& clientId,
                        const std::string& clientSecret, const std::string& code,
                        const std::string& verifier, const std::string& redirectUri, int timeoutMs);
TokenReply RefreshAccessToken(net::HttpsClient& https, const Endpoints& endpoints,
                              const std::string& clientId, const std::string& clientSecret,
                              const std::string& refreshToken, int timeoutMs);

// An access token kept between checks. Used until `marginSeconds` before it
// expires; a token whose whole lifetime is within the margin is handed out
// for the check that asked for it and not kept, so the next check asks anew
// instead of one check refreshing over and over.
class AccessTokenCache {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr long long kMarginSeconds = 60;

  // The kept token, or empty when there is none or it is too near its end.
  std::string Get(Clock::time_point now) const;
  // Keeps a fresh token (see above); a lifetime not given (negative) counts
  // as one hour, a longer one than kMaxLifetimeSeconds as that.
  void Put(const std::string& token, long long expiresIn, Clock::time_point now);
  void Clear();

 private:
  std::string token_;
  Clock::time_point usableUntil_{};
};

}  // namespace bw::oauth
