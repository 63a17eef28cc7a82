// The token endpoint's two requests and their answers, read with
// nlohmann/json; the access token kept between checks.
#include "common/core/oauth_tokens.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

namespace bw::oauth {
namespace {

// A value of the provider's answer fit for the log: printable ASCII only,
// and short.
std::string LogSafe(const std::string& text) {
  std::string safe;
  for (char c : text) {
    if (safe.size() >= 120) {
      safe += "...";
      break;
    }
    safe += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return safe;
}

std::string Text(const nlohmann::json& object, const char* name) {
  const auto it = object.find(name);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

TokenReply Post(net::HttpsClient& https, const std::string& url, const std::string& form, int timeoutMs) {
  return ParseTokenReply(https.PostForm(url, form, timeoutMs));
}

std::string ClientPart(const std::string& clientId, const std::string& clientSecret) {
  std::string form = "&client_id=" + FormEncode(clientId);
  if (!clientSecret.empty()) form += "&client_secret=" + FormEncode(clientSecret);
  return form;
}

}  // namespace

TokenReply ParseTokenReply(const net::HttpsReply& reply) {
  TokenReply token;
  switch (reply.code) {
    case net::kHttpsOk:
      break;
    case net::kHttpsUnreachable:
    case net::kHttpsTimedOut:
      token.status = kTokenUnreachable;
      token.reason = reply.reason;
      return token;
    case net::kHttpsTlsFailed:
      token.status = kTokenTlsFailed;
      token.reason = reply.reason;
      return token;
    case net::kHttpsCertificate:
      token.status = kTokenCertificate;
      token.reason = reply.reason;
      return token;
    default:
      token.status = kTokenMalformed;
      token.reason = reply.reason;
      return token;
  }
  const std::string status = "HTTP " + std::to_string(reply.status);
  const nlohmann::json answer = nlohmann::json::parse(reply.body, nullptr, false);
  if (answer.is_discarded() || !answer.is_object()) {
    token.status = kTokenMalformed;
    token.reason = status + ", JSONではない応答";
    return token;
  }
  const std::string error = Text(answer, "error");
  if (reply.status != 200 || !error.empty()) {
    token.status = error == "invalid_grant" ? kTokenInvalidGrant : kTokenRefused;
    token.reason = (error.empty() ? std::string("error") : LogSafe(error)) + " (" + status + ")";
    const std::string description = Text(answer, "error_description");
    if (!description.empty()) token.reason += " " + LogSafe(description);
    return token;
  }
  token.accessToken = Text(answer, "access_token");
  token.refreshToken = Text(answer, "refresh_token");
  const auto expires = answer.find("expires_in");
  if (expires != answer.end()) {
    if (expires->is_number_integer()) {
      token.expiresIn = expires->get<long long>();
    } else if (expires->is_string()) {
      token.expiresIn = std::atoll(expires->get<std::string>().c_str());
    }
  }
  const std::string type = Text(answer, "token_type");
  if (token.accessToken.empty() || (!type.empty() && type != "Bearer" && type != "bearer")) {
    token.status = kTokenMalformed;
    token.accessToken.clear();
    token.refreshToken.clear();
    token.reason = status + ", access_tokenのない応答";
    return token;
  }
  token.status = kTokenOk;
  return token;
}

TokenReply ExchangeCode(net::HttpsClient& https, const Endpoints& endpoints, const std::string& clientId,
                        const std::string& clientSecret, const std::string& code,
                        const std::string& verifier, const std::string& redirectUri, int timeoutMs) {
  const std::string form = "grant_type=authorization_code&code=" + FormEncode(code) +
                           "&redirect_uri=" + FormEncode(redirectUri) + "&code_verifier=" + FormEncode(verifier) +
                           ClientPart(clientId, clientSecret);
  return Post(https, endpoints.tokenUrl, form, timeoutMs);
}

TokenReply RefreshAccessToken(net::HttpsClient& https, const Endpoints& endpoints,
                              const std::string& clientId, const std::string& clientSecret,
                              const std::string& refreshToken, int timeoutMs) {
  std::string form = "grant_type=refresh_token&refresh_token=" + FormEncode(refreshToken) +
                     ClientPart(clientId, clientSecret);
  // Microsoft asks for the scope on each refresh as well.
  if (!endpoints.scope.empty()) form += "&scope=" + FormEncode(endpoints.scope);
  return Post(https, endpoints.tokenUrl, form, timeoutMs);
}

std::string AccessTokenCache::Get(Clock::time_point now) const {
  return !token_.empty() && now < usableUntil_ ? token_ : std::string();
}

void AccessTokenCache::Put(const std::string& token, long long expiresIn, Clock::time_point now) {
  if (expiresIn <= 0) expiresIn = 3600;
  if (expiresIn <= kMarginSeconds) {
    // Too short to keep: used for the check at hand only.
    Clear();
    return;
  }
  token_ = token;
  usableUntil_ = now + std::chrono::seconds(expiresIn - kMarginSeconds);
}

void AccessTokenCache::Clear() {
  token_.clear();
  usableUntil_ = Clock::time_point{};
}

}  // namespace bw::oauth
