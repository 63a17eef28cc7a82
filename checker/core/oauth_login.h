// The OAuth side of an account's check: the settings checked before anything
// is sent, and the access token for the login (kept between checks, or
// traded for the stored refresh token; a rotated refresh token is stored).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "checker/core/check_outcome.h"
#include "common/core/account_record.h"
#include "common/core/oauth_tokens.h"
#include "platform/https.h"

namespace bw {

// What the program gives its OAuth accounts: the HTTPS client (with the
// extra CA of --ca-file) and where a rotated refresh token is saved.
class OAuthAccess {
 public:
  explicit OAuthAccess(std::string extraCaFile = std::string()) : extraCaFile_(std::move(extraCaFile)) {}
  // Made on first use.
  net::HttpsClient& Https();
  // Saves the account's new refresh token, in its stored form; true when
  // saved. None: nothing is saved (the token then lives for this run only).
  std::function<bool(const AncestryPop3Checker& account, const std::string& stored)> saveToken;
  // Makes saveToken write the token into the account's block of the
  // parameter file at `parameterPath` (the block found by its name, server
  // and user).
  void SaveTokensIn(const std::string& parameterPath);
  // A test replaces the client.
  void SetHttps(std::unique_ptr<net::HttpsClient> https) { https_ = std::move(https); }

 private:
  std::string extraCaFile_;
  std::unique_ptr<net::HttpsClient> https_;
};

// Refuses, before anything is sent, an OAuth account without UseTLS 1 or 2,
// with an unknown provider or without its client ID or a stored token.
StepResult CheckOAuthSettings(const AncestryPop3Checker& account);

// The access token for this check in `accessToken`: the one kept in `cache`,
// or a new one from the token endpoint (one request at most). A new refresh
// token in the answer is stored in the account and handed to saveToken; an
// answer without one keeps the stored token.
StepResult ObtainAccessToken(AncestryPop3Checker& account, OAuthAccess& access, oauth::AccessTokenCache& cache,
                             int timeoutMs, std::string* accessToken);

}  // namespace bw
