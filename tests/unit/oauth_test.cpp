// The portable rules of signing in with OAuth: PKCE, the redirect's one
// request line, the token endpoint's answers and the kept access token.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/oauth_login.h"
#include "checker/core/pop3_checker.h"
#include "common/core/base64.h"
#include "common/core/log.h"
#include "common/core/oauth_flow.h"
#include "common/core/oauth_sign_in.h"
#include "common/core/oauth_tokens.h"
#include "common/core/param_syntax.h"
#include "platform/secret.h"
#include "platform/socket.h"
#include "tests/unit/test_support.h"

namespace {

using namespace bw::oauth;

// RFC 7636, appendix B.
TEST(OAuthPkce, S256ChallengeMatchesTheRfcExample) {
  EXPECT_EQ(S256Challenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
            "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
  std::string verifier;
  ASSERT_TRUE(MakeVerifier(&verifier));
  EXPECT_EQ(verifier.size(), 43u);
  EXPECT_EQ(verifier.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
            std::string::npos);
}

TEST(OAuthRedirect, OnlyOneWellFormedGetWithOurStateCarriesTheCode) {
  Redirect r;
  EXPECT_EQ(ParseRedirectLine("GET /?state=s%2B1&code=a%2Fb+c&scope=x HTTP/1.1", "s+1", &r), kRedirectOk);
  EXPECT_EQ(r.code, "a/b c");
  EXPECT_EQ(ParseRedirectLine("GET /?code=c&state=other HTTP/1.1", "s", &r), kRedirectWrongState);
  EXPECT_EQ(ParseRedirectLine("GET /?code=c HTTP/1.1", "s", &r), kRedirectWrongState);
  EXPECT_EQ(ParseRedirectLine("GET /?error=access_denied&state=s HTTP/1.1", "s", &r), kRedirectDenied);
  EXPECT_EQ(r.error, "access_denied");
  EXPECT_EQ(ParseRedirectLine("GET /?state=s HTTP/1.1", "s", &r), kRedirectNoCode);
  // A second state could smuggle ours past a check of the first one.
  for (const char* bad : {"GET /?code=c&state=x&state=s HTTP/1.1", "POST /?code=c&state=s HTTP/1.1",
                          "GET /cb?code=c&state=s HTTP/1.1", "GET /?code=c&state=s", "GET /?code=%zz&state=s HTTP/1.1",
                          "GET /?code=c&state=s HTTP/2", "GET /?code=c\t&state=s HTTP/1.1"})
    EXPECT_EQ(ParseRedirectLine(bad, "s", &r), kRedirectMalformed) << bad;
}

// A client connection to the listener's port.
bw::net::SocketHandle ConnectTo(std::uint16_t port) {
  const std::uint8_t loopback[4] = {127, 0, 0, 1};
  const unsigned char bytes[2] = {static_cast<unsigned char>(port >> 8), static_cast<unsigned char>(port & 0xFF)};
  std::uint16_t portNetOrder;
  std::memcpy(&portNetOrder, bytes, 2);
  const bw::net::SocketHandle s = bw::net::OpenTcp();
  return bw::net::ConnectIPv4(s, loopback, portNetOrder) == 0 ? s : bw::net::kInvalidSocket;
}

std::string ReadAll(bw::net::SocketHandle s) {
  std::string text;
  char buffer[512];
  while (bw::net::WaitReadable(s, 5000) > 0) {
    const int got = bw::net::Receive(s, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// A browser may open a connection ahead that sends nothing; the request on
// the next one is answered at once, not after the idle one's 10 seconds.
TEST(OAuthLoopback, TheFirstWholeRequestIsAnsweredEvenBehindAnIdleConnection) {
  LoopbackRedirect listener;
  ASSERT_TRUE(listener.Open());
  EXPECT_EQ(listener.RedirectUri(), "http://127.0.0.1:" + std::to_string(listener.Port()) + "/");
  std::string page;
  std::thread browser([&] {
    const bw::net::SocketHandle idle = ConnectTo(listener.Port());
    const bw::net::SocketHandle s = ConnectTo(listener.Port());
    const std::string request = "GET /?code=c1&state=s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    bw::net::Send(s, request.data(), static_cast<int>(request.size()));
    page = ReadAll(s);
    bw::net::Close(s);
    bw::net::Close(idle);
  });
  Redirect r;
  const auto start = std::chrono::steady_clock::now();
  const int result = listener.Wait(20000, nullptr, "s", &r);
  listener.Answer(true, std::string());
  browser.join();
  EXPECT_EQ(result, kRedirectOk);
  EXPECT_EQ(r.code, "c1");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(page.compare(0, 15, "HTTP/1.1 200 OK"), 0) << page;
}

// Connections that never send fill the listener; the real redirect comes
// on a fifth one and is still taken, at once.
TEST(OAuthLoopback, IdleConnectionsCannotShutOutTheRedirect) {
  LoopbackRedirect listener;
  ASSERT_TRUE(listener.Open());
  std::vector<bw::net::SocketHandle> idle;
  std::string page;
  std::thread browser([&] {
    for (int i = 0; i < 6; ++i) idle.push_back(ConnectTo(listener.Port()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const bw::net::SocketHandle s = ConnectTo(listener.Port());
    const std::string request = "GET /?code=c1&state=s HTTP/1.1\r\n\r\n";
    bw::net::Send(s, request.data(), static_cast<int>(request.size()));
    page = ReadAll(s);
    bw::net::Close(s);
  });
  Redirect r;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(listener.Wait(20000, nullptr, "s", &r), kRedirectOk);
  listener.Answer(true, std::string());
  browser.join();
  for (bw::net::SocketHandle s : idle) bw::net::Close(s);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(page.compare(0, 15, "HTTP/1.1 200 OK"), 0) << page;
}

bw::net::HttpsReply Reply(int status, const std::string& body) {
  bw::net::HttpsReply reply;
  reply.code = bw::net::kHttpsOk;
  reply.status = status;
  reply.body = body;
  return reply;
}

TEST(OAuthProvider, MicrosoftScopeFollowsTheProtocolGooglesServesBoth) {
  bw::AncestryPop3Checker account;
  account.OAuthClientID = "id";
  Endpoints endpoints;
  std::string error;
  account.OAuthProvider = 2;
  ASSERT_TRUE(ProviderEndpoints(account, &endpoints, &error)) << error;
  EXPECT_EQ(endpoints.scope, "https://outlook.office.com/POP.AccessAsUser.All offline_access");
  account.Protocol = 1;
  ASSERT_TRUE(ProviderEndpoints(account, &endpoints, &error)) << error;
  EXPECT_EQ(endpoints.scope, "https://outlook.office.com/IMAP.AccessAsUser.All offline_access");
  account.OAuthProvider = 1;
  ASSERT_TRUE(ProviderEndpoints(account, &endpoints, &error)) << error;
  EXPECT_EQ(endpoints.scope, "https://mail.google.com/");
}

TEST(OAuthTokenReply, AnswersMapToWhatTheCheckDoesNext) {
  TokenReply t = ParseTokenReply(Reply(200, R"({"access_token":"at","token_type":"Bearer","expires_in":3599})"));
  EXPECT_EQ(t.status, kTokenOk);
  EXPECT_EQ(t.accessToken, "at");
  EXPECT_EQ(t.refreshToken, "");  // Google's usual answer: the stored one stays
  EXPECT_EQ(t.expiresIn, 3599);
  t = ParseTokenReply(Reply(200, R"({"access_token":"at","refresh_token":"rt2","expires_in":"60"})"));
  EXPECT_EQ(t.refreshToken, "rt2");
  EXPECT_EQ(t.expiresIn, 60);
  t = ParseTokenReply(Reply(400, R"({"error":"invalid_grant","error_description":"Token has been revoked."})"));
  EXPECT_EQ(t.status, kTokenInvalidGrant);
  EXPECT_EQ(t.reason, "invalid_grant (HTTP 400) Token has been revoked.");
  EXPECT_EQ(ParseTokenReply(Reply(401, R"({"error":"invalid_client"})")).status, kTokenRefused);
  EXPECT_EQ(ParseTokenReply(Reply(200, "<html>")).status, kTokenMalformed);
  EXPECT_EQ(ParseTokenReply(Reply(200, R"({"token_type":"Bearer"})")).status, kTokenMalformed);
  bw::net::HttpsReply down;
  down.code = bw::net::kHttpsUnreachable;
  EXPECT_EQ(ParseTokenReply(down).status, kTokenUnreachable);
  down.code = bw::net::kHttpsTimedOut;
  EXPECT_EQ(ParseTokenReply(down).status, kTokenUnreachable);
  // A provider's outage passes; a refused grant or client stays refused
  // even when sent with a server error's status.
  EXPECT_EQ(ParseTokenReply(Reply(503, "<html>busy</html>")).status, kTokenUnavailable);
  EXPECT_EQ(ParseTokenReply(Reply(429, "")).status, kTokenUnavailable);
  EXPECT_EQ(ParseTokenReply(Reply(400, R"({"error":"temporarily_unavailable"})")).status, kTokenUnavailable);
  EXPECT_EQ(ParseTokenReply(Reply(500, R"({"error":"unauthorized_client"})")).status, kTokenRefused);
  EXPECT_EQ(ParseTokenReply(Reply(500, R"({"error":"invalid_grant"})")).status, kTokenInvalidGrant);
}

// Tokens are printable ASCII; anything else could end the line it is
// stored on, or add one.
TEST(OAuthTokenReply, TokensOutsidePrintableAsciiAreRefused) {
  for (const char* bad : {R"(rt\n\t}\n}\n--EOF--)", R"(rt\r\n\t\tPassword\tx)", R"(rt\u001a)", R"(rt\u0000x)",
                          R"(rt\u00e9)"}) {
    const TokenReply t = ParseTokenReply(
        Reply(200, std::string(R"({"access_token":"at","refresh_token":")") + bad + R"("})"));
    EXPECT_EQ(t.status, kTokenMalformed) << bad;
    EXPECT_EQ(t.refreshToken, "");
    EXPECT_NE(t.reason.find("refresh_token"), std::string::npos) << t.reason;
  }
  EXPECT_EQ(ParseTokenReply(Reply(200, R"({"access_token":"a\nb"})")).status, kTokenMalformed);
}

// The provider's text reaches the log and the terminal with every secret of
// the exchange masked (also a part of one), its control bytes escaped and
// its Japanese in Shift_JIS.
TEST(OAuthProviderText, SecretsMaskedControlsEscapedUtf8Decoded) {
  const std::string secret = "Secret-0123456789abcdef";
  const std::string text = ProviderText("echo " + secret + " and " + secret.substr(3, 10) + "\r\nforged \x1B[2J ok",
                                        {secret}, 400);
  EXPECT_EQ(text, "echo ******** and ********\\x0D\\x0Aforged \\x1B[2J ok");
  // UTF-8 half-width katakana become their Shift_JIS bytes; what Shift_JIS
  // lacks is named, bytes that are no UTF-8 are escaped.
  EXPECT_EQ(ProviderText("\xEF\xBD\xB1 \xF0\x9F\x98\x80 \xFF", {}), "\xB1 [U+1F600] \\xFF");
  // Japanese (kana, kanji, full-width signs) reaches the log as Shift_JIS.
  EXPECT_EQ(ProviderText(u8"認証コードが無効です（期限切れ）", {}), "認証コードが無効です（期限切れ）");
  EXPECT_EQ(ProviderText(std::string(200, 'a'), {}, 10), "aaaaaaaaaa...");
}

// expires_in of any size or sign is taken within 0 to one year before any
// sum is made with it.
TEST(OAuthTokenReply, LifetimesAreClampedToAYear) {
  struct Case {
    const char* value;
    long long expected;
    bool clamped;
  } cases[] = {{"3599", 3599, false},          {"9223372036854775807", kMaxLifetimeSeconds, true},
               {"18446744073709551615", kMaxLifetimeSeconds, true}, {"1e30", kMaxLifetimeSeconds, true},
               {"-5", 0, true},                {"\"-1\"", 0, true}, {"\"1e400\"", kMaxLifetimeSeconds, true}};
  for (const Case& c : cases) {
    const TokenReply t =
        ParseTokenReply(Reply(200, std::string(R"({"access_token":"at","expires_in":)") + c.value + "}"));
    ASSERT_EQ(t.status, kTokenOk) << c.value;
    EXPECT_EQ(t.expiresIn, c.expected) << c.value;
    EXPECT_EQ(t.expiresClamped, c.clamped) << c.value;
  }
  AccessTokenCache cache;
  const auto t0 = AccessTokenCache::Clock::now();
  cache.Put("long", kMaxLifetimeSeconds, t0);
  EXPECT_EQ(cache.Get(t0 + std::chrono::hours(24 * 364)), "long");
  cache.Put("gone", 0, t0);
  EXPECT_EQ(cache.Get(t0), "");
}

TEST(OAuthTokenCache, KeptUntilTheRenewalMarginBeforeItExpires) {
  AccessTokenCache cache;
  const auto t0 = AccessTokenCache::Clock::now();
  cache.Put("long", 3600, t0);
  EXPECT_EQ(cache.Get(t0 + std::chrono::seconds(3600 - AccessTokenCache::kMarginSeconds - 1)), "long");
  EXPECT_EQ(cache.Get(t0 + std::chrono::seconds(3600 - AccessTokenCache::kMarginSeconds)), "");
}

TEST(OAuthBase64, StrictDecodingRefusesWhatIsNotBase64) {
  std::string bytes;
  ASSERT_TRUE(bw::Base64Decode(bw::Base64Encode("user=a\x01"), &bytes));
  EXPECT_EQ(bytes, "user=a\x01");
  for (const char* bad : {"abc", "ab=c", "a===", "ab c", "YQ==YQ=="})
    EXPECT_FALSE(bw::Base64Decode(bad, &bytes)) << bad;
}

// A token endpoint of the test's own: answers with `reply`, and keeps each
// request's form and time limit.
class FakeHttps : public bw::net::HttpsClient {
 public:
  bw::net::HttpsReply PostForm(const std::string&, const std::string& formBody, int timeoutMs) override {
    forms.push_back(formBody);
    timeouts.push_back(timeoutMs);
    if (onPost) onPost();
    bw::net::HttpsReply answer = reply;
    // A provider that echoes the request back in its error.
    const std::string echo = "{{FORM}}";
    const std::size_t at = answer.body.find(echo);
    if (at != std::string::npos) answer.body.replace(at, echo.size(), formBody);
    return answer;
  }
  bw::net::HttpsReply reply = Reply(200, R"({"access_token":"at","refresh_token":"rt-new","expires_in":3600})");
  std::function<void()> onPost;
  std::vector<std::string> forms;
  std::vector<int> timeouts;
};

// A form value of the request, decoded.
std::string FormValue(const std::string& form, const std::string& name) {
  const std::size_t at = ("&" + form).find("&" + name + "=");
  if (at == std::string::npos) return std::string();
  std::string value = form.substr(at + name.size() + 1);
  value = value.substr(0, value.find('&'));
  std::string decoded;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() + 1) {
      decoded += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += value[i];
    }
  }
  return decoded;
}

void SetOAuthAccount(bw::AncestryPop3Checker& a) {
  a.ConnectionName = "acct";
  a.HostName = "127.0.0.1";
  a.UserID = "alice";
  a.UseTLS = 1;
  a.OAuthProvider = kOtherProvider;
  a.OAuthClientID = "client-id";
  a.OAuthClientSecret = "client-secret-42";
  a.OAuthAuthorizeURL = "https://localhost/authorize";
  a.OAuthTokenURL = "https://localhost/token";
  ASSERT_TRUE(bw::net::ProtectSecret("refresh-token-0123456789", &a.OAuthToken));
}

class OAuthSignIn : public bw_test::ScratchTest {
 protected:
  // Signs in with a browser that brings `query` (state appended) back to
  // the loopback address and keeps the page it gets; `store` as the
  // program's own.
  SignInResult Run(const std::string& query, std::function<std::string(const std::string&)> store = nullptr) {
    SignInOptions options;
    // A program that just ends; the test's thread below is the browser.
#ifdef _WIN32
    options.browserCommand = "hostname.exe";
#else
    options.browserCommand = "true";
#endif
    options.timeoutMs = 20000;
    options.store = std::move(store);
    page.clear();
    answered = false;
    pageBeforeExchange = false;
    std::thread browser;
    options.showUrl = [&](const std::string& url) {
      const std::string state = FormValue(url.substr(url.find('?') + 1), "state");
      const std::string redirect = FormValue(url.substr(url.find('?') + 1), "redirect_uri");
      const auto port = static_cast<std::uint16_t>(std::stoi(redirect.substr(redirect.rfind(':') + 1)));
      browser = std::thread([this, port, query, state] {
        const bw::net::SocketHandle s = ConnectTo(port);
        const std::string request = "GET /?" + query + "&state=" + state + " HTTP/1.1\r\n\r\n";
        bw::net::Send(s, request.data(), static_cast<int>(request.size()));
        page = ReadAll(s);
        answered = true;
        bw::net::Close(s);
      });
    };
    https.onPost = [this] { pageBeforeExchange = answered.load(); };
    bw::AncestryPop3Checker account;
    SetOAuthAccount(account);
    const SignInResult result = SignIn(account, https, options);
    if (browser.joinable()) browser.join();
    return result;
  }
  FakeHttps https;
  std::string page;
  std::atomic<bool> answered{false};
  bool pageBeforeExchange = false;
};

// The browser is answered after the exchange, with what came of it; no
// secret of the exchange reaches the message, however the provider echoes it.
TEST_F(OAuthSignIn, PageTellsTheExchangesOutcomeAndNoSecretReachesTheMessage) {
  https.reply = Reply(400, R"({"error":"invalid_grant","error_description":"{{FORM}}\r\nforged line"})");
  SignInResult r = Run("code=the-code-987654321");
  EXPECT_EQ(r.status, kSignInToken);
  ASSERT_EQ(https.forms.size(), 1u);
  const std::string& form = https.forms[0];
  for (const std::string& secret :
       {FormValue(form, "code"), FormValue(form, "code_verifier"), std::string("client-secret-42")}) {
    ASSERT_GE(secret.size(), 8u);
    EXPECT_EQ(r.message.find(secret.substr(0, 8)), std::string::npos) << r.message;
    EXPECT_EQ(page.find(secret.substr(0, 8)), std::string::npos);
  }
  EXPECT_EQ(r.message.find('\n'), std::string::npos);
  EXPECT_FALSE(pageBeforeExchange);
  EXPECT_EQ(page.compare(0, 24, "HTTP/1.1 400 Bad Request"), 0) << page;
  EXPECT_NE(page.find("invalid_grant"), std::string::npos) << page;

  // The provider's error in the redirect is escaped.
  r = Run("error=access_denied%0D%0AForged%1B");
  EXPECT_EQ(r.status, kSignInRedirect);
  EXPECT_NE(r.message.find("(access_denied\\x0D\\x0AForged\\x1B)"), std::string::npos) << r.message;

  // A token of one blank is named as such, not blamed on the file; a good
  // one is stored before the page says it is done.
  // (Windows stores it protected, as base64, which any token fits.)
  https.reply = Reply(200, R"({"access_token":"at","refresh_token":" "})");
  r = Run("code=c2", [](const std::string&) { return std::string("FILE ファイルにトークンを保存できません."); });
  if (!bw::net::SecretsAreProtected()) {
    EXPECT_EQ(r.status, kSignInNotStored);
    EXPECT_NE(r.message.find("リフレッシュトークン"), std::string::npos) << r.message;
  }
  https.reply = Reply(200, R"({"access_token":"at","refresh_token":"rt-good"})");
  std::string stored;
  r = Run("code=c3", [&](const std::string& token) {
    stored = token;
    return answered ? std::string("answered too early") : std::string();
  });
  EXPECT_EQ(r.status, kSignInOk) << r.message;
  std::string plain;
  ASSERT_TRUE(bw::net::UnprotectSecret(stored, &plain));
  EXPECT_EQ(plain, "rt-good");
  EXPECT_EQ(page.compare(0, 15, "HTTP/1.1 200 OK"), 0) << page;
}

class OAuthRefresh : public bw_test::ScratchTest {};

// A refresh: the provider's error text with our secrets masked; a lifetime
// out of range logged as clamped; a rotated token the file cannot hold is
// named, and the one in memory stays.
TEST_F(OAuthRefresh, SecretsMaskedLifetimeClampedUnstorableTokenKept) {
  StartLog();
  bw::AncestryPop3Checker account;
  SetOAuthAccount(account);
  bw::OAuthAccess access;
  auto fake = std::make_unique<FakeHttps>();
  FakeHttps& https = *fake;
  access.SetHttps(std::move(fake));
  AccessTokenCache cache;
  std::string token;
  https.reply = Reply(401, R"({"error":"invalid_client","error_description":"{{FORM}}"})");
  EXPECT_EQ(bw::ObtainAccessToken(account, access, cache, 5000, &token).code, kTokenRefused);
  https.reply = Reply(200, R"({"access_token":"at","refresh_token":" ","expires_in":1e30})");
  const std::string before = account.OAuthToken;
  EXPECT_EQ(bw::ObtainAccessToken(account, access, cache, 5000, &token).code, kTokenOk);
  if (!bw::net::SecretsAreProtected()) {
    EXPECT_EQ(account.OAuthToken, before);
  }
  const std::string log = LogText();
  for (const char* secret : {"refresh-", "client-secret"}) EXPECT_EQ(log.find(secret), std::string::npos) << log;
  EXPECT_NE(log.find("invalid_client (HTTP 401) grant_type=refresh_token&refresh_token=********"), std::string::npos)
      << log;
  EXPECT_NE(log.find("有効期間31536000秒. 応答の値は0秒から1年の範囲外"), std::string::npos) << log;
  if (!bw::net::SecretsAreProtected()) {
    EXPECT_NE(log.find("新しいﾘﾌﾚｯｼｭﾄｰｸﾝはﾊﾟﾗﾒｰﾀﾌｧｲﾙに書けない形(空白だけ)"), std::string::npos) << log;
  }
}

// The token request waits as long as the account's send and receive
// time-out, not the 120 s ceiling; an endpoint that cannot answer for now
// leaves the account waiting for a retry, a refused client stops it.
TEST_F(OAuthRefresh, CheckUsesTheAccountsTimeoutAndAnOutageIsRetried) {
  StartLog();
  bw::Pop3Checker account;
  SetOAuthAccount(account);
  account.ServiceName = "1";
  account.TOofSendRecv_Sec = 10;
  account.oauth = std::make_shared<bw::OAuthAccess>();
  auto fake = std::make_unique<FakeHttps>();
  FakeHttps& https = *fake;
  account.oauth->SetHttps(std::move(fake));
  ASSERT_EQ(account.Resolve(), 0);
  struct Case {
    int status;
    const char* body;
    int state;
    int cause;
  } cases[] = {{503, "", bw::Pop3Checker::RetryWait, bw::Pop3Checker::CauseConnection},
               {429, "", bw::Pop3Checker::RetryWait, bw::Pop3Checker::CauseConnection},
               {401, R"({"error":"invalid_client"})", bw::Pop3Checker::Suspended, bw::Pop3Checker::CauseAccount}};
  for (const Case& c : cases) {
    account.CheckState = bw::Pop3Checker::Ready;
    https.reply = Reply(c.status, c.body);
    EXPECT_LT(account.Check(), 0);
    EXPECT_EQ(account.CheckState, c.state) << c.status;
    EXPECT_EQ(account.ErrorCause, c.cause) << c.status;
  }
  ASSERT_FALSE(https.timeouts.empty());
  EXPECT_EQ(https.timeouts[0], 10000);
  EXPECT_NE(LogText().find("acct : ﾄｰｸﾝ発行元が一時的に応答できません(HTTP 503). 次回の更新で再試行します."),
            std::string::npos);
}

}  // namespace
