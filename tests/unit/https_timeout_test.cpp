// The token endpoint's HTTPS client against an endpoint that takes the
// connection and never answers: the post ends at the caller's limit, the
// TLS handshake included, as a time-out (the check tries a time-out again
// at its next cycle). WinHTTP bounds the handshake only when told so.
#include <chrono>
#include <string>

#include "platform/https.h"
#include "platform/socket.h"
#include "tests/unit/test_support.h"

namespace {

namespace net = bw::net;

TEST(HttpsClient, SilentEndpointTimesOutAtTheLimit) {
  ASSERT_EQ(net::Startup(nullptr), 0);
  std::uint16_t port = 0;
  const net::SocketHandle listener = net::ListenLoopback(&port, 4);  // never accepts
  ASSERT_NE(listener, net::kInvalidSocket);
  const auto start = std::chrono::steady_clock::now();
  const net::HttpsReply reply =
      net::HttpsClient::Create("")->PostForm("https://localhost:" + std::to_string(port) + "/token", "a=b", 1500);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(reply.code, net::kHttpsTimedOut) << reply.reason;
  EXPECT_GE(ms, 1400);
  EXPECT_LT(ms, 6000);
  net::Close(listener);
  net::Cleanup();
}

}  // namespace
