// The socket layer on loopback: errors come back as WinSock numbers on every
// platform, and waits honour their time-outs.
#include <chrono>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <winsock.h>
#else
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include "checker/core/resolve.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "tests/unit/test_support.h"

namespace {

namespace net = bw::net;
const std::uint8_t kLoopback[4] = {127, 0, 0, 1};

class NetSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    int version = 0;
    ASSERT_EQ(net::Startup(&version), 0);
    EXPECT_EQ(version, 0x0101);
  }
  void TearDown() override { net::Cleanup(); }
};

TEST_F(NetSocket, ConnectToClosedPortReportsConnectionRefused) {
  std::uint16_t port = 0;
  net::SocketHandle l = net::ListenLoopback(&port, 1);
  ASSERT_NE(l, net::kInvalidSocket);
  net::Close(l);  // the port is now free and nobody listens
  net::SocketHandle s = net::OpenTcp();
  ASSERT_NE(s, net::kInvalidSocket);
  EXPECT_EQ(net::ConnectIPv4(s, kLoopback, bw::PortToNetwork(port)), -1);
  EXPECT_EQ(net::LastError(), net::kErrConnRefused);
  net::Close(s);
}

// A socket a started program inherits (the sign-in's browser) keeps the
// listener open there: a later visit to its port hangs.
bool Inheritable(net::SocketHandle s) {
#ifdef _WIN32
  DWORD flags = 0;
  return !GetHandleInformation(reinterpret_cast<HANDLE>(s), &flags) || (flags & HANDLE_FLAG_INHERIT) != 0;
#else
  const int flags = fcntl(static_cast<int>(s), F_GETFD);
  return flags < 0 || (flags & FD_CLOEXEC) == 0;
#endif
}

TEST_F(NetSocket, NoSocketPassesToAStartedProgram) {
  std::uint16_t port = 0;
  const net::SocketHandle listener = net::ListenLoopback(&port, 1);
  ASSERT_NE(listener, net::kInvalidSocket);
  const net::SocketHandle client = net::OpenTcp();
  ASSERT_NE(client, net::kInvalidSocket);
  ASSERT_EQ(net::ConnectIPv4(client, kLoopback, bw::PortToNetwork(port)), 0);
  const net::SocketHandle accepted = net::Accept(listener);
  ASSERT_NE(accepted, net::kInvalidSocket);
  EXPECT_FALSE(Inheritable(listener));
  EXPECT_FALSE(Inheritable(client));
  EXPECT_FALSE(Inheritable(accepted));
  for (net::SocketHandle s : {accepted, client, listener}) net::Close(s);
}

TEST_F(NetSocket, BytesTravelAndReadinessWaitsTimeOut) {
  std::uint16_t port = 0;
  net::SocketHandle l = net::ListenLoopback(&port, 1);
  net::SocketHandle c = net::OpenTcp();
  ASSERT_EQ(net::ConnectIPv4(c, kLoopback, bw::PortToNetwork(port)), 0);
  // A command's line end, sent on its own, must not wait for the server's
  // delayed acknowledgement of the command.
  int nodelay = 0;
#ifdef _WIN32
  int size = sizeof nodelay;
  ASSERT_EQ(getsockopt(static_cast<SOCKET>(c), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&nodelay), &size), 0);
#else
  socklen_t size = sizeof nodelay;
  ASSERT_EQ(getsockopt(static_cast<int>(c), IPPROTO_TCP, TCP_NODELAY, &nodelay, &size), 0);
#endif
  EXPECT_NE(nodelay, 0) << "Nagle's algorithm is still on";
  net::SocketHandle a = net::Accept(l);
  ASSERT_NE(a, net::kInvalidSocket);

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(net::WaitReadable(a, 200), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(net::WaitWritable(c, 200), 1);

  EXPECT_EQ(net::Send(c, "abc", 3), 3);
  EXPECT_EQ(net::WaitReadable(a, 2000), 1);
  char buf[8] = {};
  int got = 0;
  while (got < 3) {
    int n = net::Receive(a, buf + got, 3 - got);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_STREQ(buf, "abc");

  EXPECT_EQ(net::SetLingerOff(c), 0);
  EXPECT_EQ(net::Shutdown(c, 2), 0);
  net::Close(c);
  EXPECT_EQ(net::WaitReadable(a, 2000), 1);
  EXPECT_EQ(net::Receive(a, buf, 1), 0);  // orderly close reads as 0 bytes
  // Sending into a connection the peer has closed must fail, not kill us.
  net::Send(a, "x", 1);
  net::Close(a);
  net::Close(l);
}

// The watch over several idle connections wakes for any one of them, the
// last too, and otherwise waits its time.
TEST_F(NetSocket, WaitForAnyOfSeveralSocketsWakesForTheLastOne) {
  std::uint16_t port = 0;
  net::SocketHandle l = net::ListenLoopback(&port, 3);
  std::vector<net::SocketHandle> clients, accepted;
  for (int i = 0; i < 3; ++i) {
    clients.push_back(net::OpenTcp());
    ASSERT_EQ(net::ConnectIPv4(clients.back(), kLoopback, bw::PortToNetwork(port)), 0);
    accepted.push_back(net::Accept(l));
    ASSERT_NE(accepted.back(), net::kInvalidSocket);
  }
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(net::WaitAnyReadable(accepted, 200), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(net::WaitAnyReadable({}, 200), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));

  EXPECT_EQ(net::Send(clients[2], "*", 1), 1);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(net::WaitAnyReadable(accepted, 5000), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
  for (net::SocketHandle s : clients) net::Close(s);
  for (net::SocketHandle s : accepted) net::Close(s);
  net::Close(l);
}

}  // namespace

// The suite's name in the TLS log line: the system's when whole; parts it
// calls "<unknown>" (Wine's name of an AEAD suite's hash) or a name it does
// not give at all are completed from the connection's algorithms.
TEST(TlsSuiteName, UnknownPartsAreCompletedAndNeverLogged) {
  const bw::net::TlsSuiteParts ecdheAes256{0xAE06, 0x6610, 256, 0};
  EXPECT_EQ(bw::net::TlsSuiteName("TLS_ECDHE_RSA_WITH_AES_256_GCM_<unknown>", ecdheAes256),
            "TLS_ECDHE_RSA_WITH_AES_256_GCM_SHA384");
  EXPECT_EQ(bw::net::TlsSuiteName("TLS_ECDHE_RSA_WITH_AES_128_GCM_<unknown>", {0xAE06, 0x660E, 128, 0}),
            "TLS_ECDHE_RSA_WITH_AES_128_GCM_SHA256");
  EXPECT_EQ(bw::net::TlsSuiteName("TLS_<unknown>_WITH_<unknown>_CBC_<unknown>", {0xA400, 0x660E, 128, 0x8004}),
            "TLS_RSA_WITH_AES_128_CBC_SHA");
  EXPECT_EQ(bw::net::TlsSuiteName("", {0xAE06, 0x6610, 256, 0x800D}), "TLS_ECDHE_WITH_AES_256_SHA384");
  EXPECT_EQ(bw::net::TlsSuiteName("TLS_AES_256_GCM_SHA384", ecdheAes256), "TLS_AES_256_GCM_SHA384");
  const std::string odd = bw::net::TlsSuiteName("TLS_<unknown>_WITH_<unknown>_<unknown>", {0x1234, 0x5678, 64, 0x9ABC});
  EXPECT_EQ(odd, "TLS_KX0x1234_WITH_CIPHER0x5678_64_HASH0x9ABC");
}
