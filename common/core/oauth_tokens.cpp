// The token endpoint's two requests and their answers, read with
// nlohmann/json; the access token kept between checks.
#include "common/core/oauth_tokens.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "platform/charset.h"

namespace bw::oauth {
namespace {

// Pieces of a secret this long are masked wherever they stand, so that a
// provider quoting part of one (cut by its own limit, say) shows nothing.
constexpr std::size_t kSecretPiece = 8;
// Outside text is looked at up to this many bytes; the log shows far less.
constexpr std::size_t kOutsideTextScan = 4096;
const char kMasked[] = "********";

// Each secret also as the form body carried it, which a provider may echo.
std::vector<std::string> WithFormForms(const std::vector<std::string>& secrets) {
  std::vector<std::string> all;
  for (const std::string& s : secrets) {
    if (s.empty()) continue;
    all.push_back(s);
    const std::string encoded = FormEncode(s);
    if (encoded != s) all.push_back(encoded);
  }
  return all;
}

std::string MaskSecrets(const std::string& text, const std::vector<std::string>& secrets) {
  std::vector<bool> masked(text.size(), false);
  auto mark = [&](const std::string& piece) {
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
      for (std::size_t i = 0; i < piece.size(); ++i) masked[at + i] = true;
  };
  for (const std::string& secret : WithFormForms(secrets)) {
    if (secret.size() <= kSecretPiece) {
      mark(secret);
      continue;
    }
    for (std::size_t i = 0; i + kSecretPiece <= secret.size(); ++i) mark(secret.substr(i, kSecretPiece));
  }
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!masked[i]) {
      out += text[i];
    } else if (i == 0 || !masked[i - 1]) {
      out += kMasked;
    }
  }
  return out;
}

// One UTF-8 character at text[i]: its code point and length; false for a
// byte that begins no well-formed character.
bool DecodeUtf8(const std::string& text, std::size_t i, unsigned* codePoint, std::size_t* length) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  std::size_t n;
  unsigned cp;
  if (lead < 0x80) {
    *codePoint = lead;
    *length = 1;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    cp = lead & 0x07;
  } else {
    return false;
  }
  if (i + n > text.size()) return false;
  for (std::size_t k = 1; k < n; ++k) {
    const unsigned char c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Over-long forms, surrogates and code points beyond Unicode.
  static const unsigned kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
  *codePoint = cp;
  *length = n;
  return true;
}

// The Shift_JIS bytes of one character, or empty when it has none.
std::string Cp932Character(unsigned codePoint) {
  if (codePoint >= 0xFF61 && codePoint <= 0xFF9F)  // half-width katakana
    return std::string(1, static_cast<char>(codePoint - 0xFF61 + 0xA1));
  if (codePoint < 0x80 || codePoint > 0xFFFF) return std::string();
  // The platform's code page 932 read backwards, built once: every
  // double-byte code and the character it gives. Where two codes give one
  // character (the NEC and IBM extensions), the first one stays.
  static const std::unordered_map<char16_t, std::uint16_t> table = [] {
    std::unordered_map<char16_t, std::uint16_t> t;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (lead > 0x9F && lead < 0xE0) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        std::u16string one;
        if (net::ConvertToUtf16(net::kCodePageCp932, std::string_view(pair, 2), &one) && one.size() == 1)
          t.emplace(one[0], static_cast<std::uint16_t>(lead << 8 | trail));
      }
    }
    return t;
  }();
  const auto it = table.find(static_cast<char16_t>(codePoint));
  if (it == table.end()) return std::string();
  return std::string{static_cast<char>(it->second >> 8), static_cast<char>(it->second & 0xFF)};
}

std::string Text(const nlohmann::json& object, const char* name) {
  const auto it = object.find(name);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// expires_in as a number of seconds within 0 to kMaxLifetimeSeconds, from
// whatever the answer holds (an integer of any size, a float, a text);
// -1 when it holds none.
long long Lifetime(const nlohmann::json& answer, bool* clamped) {
  *clamped = false;
  const auto it = answer.find("expires_in");
  if (it == answer.end()) return -1;
  double value;
  if (it->is_number_unsigned()) {
    const unsigned long long v = it->get<unsigned long long>();
    value = v > static_cast<unsigned long long>(kMaxLifetimeSeconds) ? 1e300 : static_cast<double>(v);
  } else if (it->is_number_integer()) {
    const long long v = it->get<long long>();
    value = v < 0 ? -1.0 : v > kMaxLifetimeSeconds ? 1e300 : static_cast<double>(v);
  } else if (it->is_number_float()) {
    value = it->get<double>();
  } else if (it->is_string()) {
    const std::string text = it->get<std::string>();
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') return -1;
  } else {
    return -1;
  }
  // NaN compares false both ways and ends up at 0.
  if (!(value >= 0)) {
    *clamped = true;
    return 0;
  }
  if (value > static_cast<double>(kMaxLifetimeSeconds)) {
    *clamped = true;
    return kMaxLifetimeSeconds;
  }
  return static_cast<long long>(value);
}

TokenReply Post(net::HttpsClient& https, const std::string& url, const std::string& form, int timeoutMs,
                const std::vector<std::string>& secrets) {
  return ParseTokenReply(https.PostForm(url, form, timeoutMs), secrets);
}

std::string ClientPart(const std::string& clientId, const std::string& clientSecret) {
  std::string form = "&client_id=" + FormEncode(clientId);
  if (!clientSecret.empty()) form += "&client_secret=" + FormEncode(clientSecret);
  return form;
}

}  // namespace

std::string ProviderText(const std::string& text, const std::vector<std::string>& secrets, std::size_t limit) {
  const std::string masked = MaskSecrets(text.substr(0, kOutsideTextScan), secrets);
  std::string out;
  for (std::size_t i = 0; i < masked.size();) {
    std::string piece;
    unsigned cp = 0;
    std::size_t length = 1;
    if (masked.compare(i, sizeof kMasked - 1, kMasked) == 0) {
      piece = kMasked;
      length = sizeof kMasked - 1;
    } else if (!DecodeUtf8(masked, i, &cp, &length) || cp < 0x20 || cp == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(masked[i]));
      piece = escaped;
      length = 1;
    } else if (cp < 0x80) {
      piece = std::string(1, static_cast<char>(cp));
    } else {
      piece = Cp932Character(cp);
      if (piece.empty()) {
        char escaped[16];
        std::snprintf(escaped, sizeof escaped, "[U+%04X]", cp);
        piece = escaped;
      }
    }
    if (out.size() + piece.size() > limit) {
      out += "...";
      break;
    }
    out += piece;
    i += length;
  }
  return out;
}

bool PrintableToken(const std::string& token) {
  if (token.empty()) return false;
  for (char c : token)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

const char* UnstorableTokenText(const std::string& token) {
  if (token.find_first_not_of(' ') == std::string::npos) return "空白だけ";
  if (token.back() == ' ') return "末尾が空白";
  if (token == "{" || token == "}") return "{ か } だけ";
  return "書けない文字";
}

TokenReply ParseTokenReply(const net::HttpsReply& reply, const std::vector<std::string>& secrets) {
  TokenReply token;
  token.reason = ProviderText(reply.reason, secrets);
  switch (reply.code) {
    case net::kHttpsOk:
      break;
    case net::kHttpsUnreachable:
    case net::kHttpsTimedOut:
      token.status = kTokenUnreachable;
      return token;
    case net::kHttpsCutOff:
      // An answer cut off is a passing fault of the endpoint, like a 5xx.
      token.status = kTokenUnavailable;
      return token;
    case net::kHttpsTlsFailed:
      token.status = kTokenTlsFailed;
      return token;
    case net::kHttpsCertificate:
      token.status = kTokenCertificate;
      return token;
    default:
      token.status = kTokenMalformed;
      return token;
  }
  const std::string status = "HTTP " + std::to_string(reply.status);
  const nlohmann::json answer = nlohmann::json::parse(reply.body, nullptr, false);
  const bool isObject = !answer.is_discarded() && answer.is_object();
  const std::string error = isObject ? Text(answer, "error") : std::string();
  token.reason = error.empty() ? status : ProviderText(error, secrets) + " (" + status + ")";
  if (!error.empty()) {
    const std::string description = Text(answer, "error_description");
    if (!description.empty()) token.reason += " " + ProviderText(description, secrets);
  }
  // The grant or the client refused stays refused whatever the status; an
  // endpoint that cannot answer for now, or answers only part, passes.
  if (error == "invalid_grant") {
    token.status = kTokenInvalidGrant;
    return token;
  }
  const bool accountError = error == "invalid_client" || error == "unauthorized_client";
  if (!accountError && (reply.status >= 500 || reply.status == 429 || error == "temporarily_unavailable" ||
                        error == "server_error")) {
    token.status = kTokenUnavailable;
    return token;
  }
  if (!isObject) {
    token.status = kTokenMalformed;
    token.reason = status + ", JSONではない応答";
    return token;
  }
  if (reply.status != 200 || !error.empty()) {
    token.status = kTokenRefused;
    if (error.empty()) token.reason = "error (" + status + ")";
    return token;
  }
  token.accessToken = Text(answer, "access_token");
  token.refreshToken = Text(answer, "refresh_token");
  token.expiresIn = Lifetime(answer, &token.expiresClamped);
  const std::string type = Text(answer, "token_type");
  const char* fault = nullptr;
  if (token.accessToken.empty() || (!type.empty() && type != "Bearer" && type != "bearer"))
    fault = "access_tokenのない応答";
  else if (!PrintableToken(token.accessToken))
    fault = "access_tokenにASCIIの表示文字以外があります";
  else if (!token.refreshToken.empty() && !PrintableToken(token.refreshToken))
    fault = "refresh_tokenにASCIIの表示文字以外があります";
  if (fault) {
    token.status = kTokenMalformed;
    token.accessToken.clear();
    token.refreshToken.clear();
    token.reason = status + ", " + fault;
    return token;
  }
  token.reason.clear();
  token.status = kTokenOk;
  return token;
}

TokenReply ExchangeCode(net::HttpsClient& https, const Endpoints& endpoints, const std::string& clientId,
                        const std::string& clientSecret, const std::string& code,
                        const std::string& verifier, const std::string& redirectUri, int timeoutMs) {
  const std::string form = "grant_type=authorization_code&code=" + FormEncode(code) +
                           "&redirect_uri=" + FormEncode(redirectUri) + "&code_verifier=" + FormEncode(verifier) +
                           ClientPart(clientId, clientSecret);
  return Post(https, endpoints.tokenUrl, form, timeoutMs, {code, verifier, clientSecret});
}

TokenReply RefreshAccessToken(net::HttpsClient& https, const Endpoints& endpoints,
                              const std::string& clientId, const std::string& clientSecret,
                              const std::string& refreshToken, int timeoutMs) {
  std::string form = "grant_type=refresh_token&refresh_token=" + FormEncode(refreshToken) +
                     ClientPart(clientId, clientSecret);
  // Microsoft asks for the scope on each refresh as well.
  if (!endpoints.scope.empty()) form += "&scope=" + FormEncode(endpoints.scope);
  return Post(https, endpoints.tokenUrl, form, timeoutMs, {refreshToken, clientSecret});
}

std::string AccessTokenCache::Get(Clock::time_point now) const {
  return !token_.empty() && now < usableUntil_ ? token_ : std::string();
}

void AccessTokenCache::Put(const std::string& token, long long expiresIn, Clock::time_point now) {
  if (expiresIn < 0) expiresIn = 3600;
  if (expiresIn > kMaxLifetimeSeconds) expiresIn = kMaxLifetimeSeconds;
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
