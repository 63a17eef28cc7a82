// The token endpoint: trading the sign-in's code, or the stored refresh
// token, for an access token; and the access token kept in memory between
// checks.
#pragma once
#include <chrono>
#include <string>

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
};

struct TokenReply {
  int status = kTokenMalformed;
  std::string accessToken;
  std::string refreshToken;  // empty when the provider sent none
  long long expiresIn = 0;   // seconds; 0 when not given
  std::string reason;        // for the log, CP932; never a token
};

// Reads the endpoint's answer (JSON). A 200 without access_token is malformed.
TokenReply ParseTokenReply(const net::HttpsReply& reply);

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
  // Keeps a fresh token (see above); a lifetime of 0 counts as one hour.
  void Put(const std::string& token, long long expiresIn, Clock::time_point now);
  void Clear();

 private:
  std::string token_;
  Clock::time_point usableUntil_{};
};

}  // namespace bw::oauth
