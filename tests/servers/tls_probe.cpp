// tls_probe: the TLS client of the socket layer on its own, for the transport
// tests (natively and under Wine). Connects, optionally asks for STLS in the
// clear, runs the handshake and prints its outcome on one line:
//   handshake CODE NAME | REASON | PROTOCOL | CIPHER | MILLISECONDS
// then, after a good handshake, the server's first line over TLS (POP3S)
// and its answer to QUIT.
//   tls_probe [--stls] [--ca-file FILE] [--timeout MS] HOST PORT
// Exit status: 0 handshake done, 1 handshake failed, 3 STLS refused,
// 4 no connection, 2 usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/socket.h"
#include "platform/tls.h"

namespace net = bw::net;

namespace {

// One line in the clear, CR LF cut off; empty on failure.
std::string PlainLine(net::SocketHandle s, int timeoutMs) {
  std::string line;
  char c;
  while (line.size() < 1024 && net::WaitReadable(s, timeoutMs) == 1 && net::Receive(s, &c, 1) == 1) {
    if (c == '\n') break;
    if (c != '\r') line += c;
  }
  return line;
}

std::string TlsLine(net::TlsClient& tls, int timeoutMs) {
  std::string line;
  char c;
  while (line.size() < 1024 && tls.Receive(&c, 1, timeoutMs) == 1) {
    if (c == '\n') break;
    if (c != '\r') line += c;
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  bool stls = false;
  int timeoutMs = 5000;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--stls") == 0) {
      stls = true;
    } else if (std::strcmp(argv[i], "--ca-file") == 0 && i + 1 < argc) {
      net::SetExtraCaFile(argv[++i]);
    } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      timeoutMs = std::atoi(argv[++i]);
    } else {
      break;
    }
  }
  if (argc - i != 2) {
    std::fprintf(stderr, "usage: tls_probe [--stls] [--ca-file FILE] [--timeout MS] HOST PORT\n");
    return 2;
  }
  const std::string host = argv[i];
  const int port = std::atoi(argv[i + 1]);

  int version;
  net::Startup(&version);
  std::uint8_t address[4];
  const std::uint8_t portBytes[2] = {static_cast<std::uint8_t>(port >> 8), static_cast<std::uint8_t>(port)};
  std::uint16_t portNet;
  std::memcpy(&portNet, portBytes, 2);
  net::SocketHandle s = net::OpenTcp();
  if (!net::LookupHost(host.c_str(), address) || net::ConnectIPv4(s, address, portNet) != 0) {
    std::printf("no connection to %s:%d\n", host.c_str(), port);
    return 4;
  }
  if (stls) {
    std::printf("greeting: %s\n", PlainLine(s, timeoutMs).c_str());
    net::Send(s, "STLS\r\n", 6);
    const std::string reply = PlainLine(s, timeoutMs);
    std::printf("stls: %s\n", reply.c_str());
    if (reply.compare(0, 3, "+OK") != 0) {
      net::Close(s);
      return 3;
    }
  }

  auto tls = net::TlsClient::Create();
  const auto start = std::chrono::steady_clock::now();
  const int rc = tls->Handshake(s, host, timeoutMs);
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("handshake %d %s | %s | %s | %s | %lld\n", rc, net::TlsCodeName(rc), tls->Reason().c_str(),
              tls->Protocol().c_str(), tls->Cipher().c_str(), ms);
  if (rc == 0) {
    if (!stls) std::printf("greeting: %s\n", TlsLine(*tls, timeoutMs).c_str());
    tls->Send("QUIT\r\n", 6, timeoutMs);
    std::printf("quit: %s\n", TlsLine(*tls, timeoutMs).c_str());
    tls->Shutdown(timeoutMs);
  }
  std::fflush(stdout);
  net::Shutdown(s, 2);
  net::Close(s);
  net::Cleanup();
  return rc == 0 ? 0 : 1;
}
