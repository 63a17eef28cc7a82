// The portable rules of signing in with OAuth: PKCE, the redirect's one
// request line, the token endpoint's answers and the kept access token.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "common/core/base64.h"
#include "common/core/oauth_flow.h"
#include "common/core/oauth_tokens.h"
#include "platform/socket.h"

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
  browser.join();
  EXPECT_EQ(result, kRedirectOk);
  EXPECT_EQ(r.code, "c1");
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

}  // namespace
