// POSIX implementation of the socket layer. errno values are translated to
// the WinSock numbers the log and the callers expect.
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/socket.h"

namespace bw::net {
namespace {

thread_local int lastError = 0;

int FromErrno(int e) {
  switch (e) {
    case 0: return 0;
    case EINTR: return kErrInterrupted;
    case EBADF:
    case ENOTSOCK: return kErrBadSocket;
    case EAGAIN: return kErrWouldBlock;
    case EINVAL: return kErrInvalid;
    case EMFILE:
    case ENFILE: return kErrTooManySockets;
    case EADDRINUSE: return kErrAddressInUse;
    case ENETUNREACH: return kErrNetUnreachable;
    case ECONNRESET:
    case EPIPE: return kErrConnReset;
    case ENOTCONN: return kErrNotConnected;
    case ETIMEDOUT: return kErrTimedOut;
    case ECONNREFUSED: return kErrConnRefused;
    case EHOSTUNREACH: return kErrHostUnreachable;
    case ENOBUFS:
    case ENOMEM: return kErrNoBuffers;
    default: return kErrOther;
  }
}

int Fail() {
  lastError = FromErrno(errno);
  return -1;
}

int Fd(SocketHandle s) { return s == kInvalidSocket ? -1 : static_cast<int>(s); }

int Wait(SocketHandle s, short events, int timeoutMs) {
  pollfd p{Fd(s), events, 0};
  for (;;) {
    int n = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (n > 0) {
      if (p.revents & POLLNVAL) {
        lastError = kErrBadSocket;
        return -1;
      }
      return 1;  // readable, writable, or an error the next call reports
    }
    if (n == 0) return 0;
    if (errno != EINTR) return Fail();
  }
}

}  // namespace

int Startup(int* granted) {
  if (granted) *granted = 0x0101;
  return 0;
}

void Cleanup() {}

int LastError() { return lastError; }
void SetLastError(int error) { lastError = error; }

// Every socket is closed on exec: a program started meanwhile (the browser
// of a sign-in) must never hold the sign-in's listener or a mail connection.
namespace {
int NewSocket() { return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
}  // namespace

SocketHandle OpenTcp() {
  int fd = NewSocket();
  if (fd < 0) {
    Fail();
    return kInvalidSocket;
  }
  // Without it the line end, sent on its own after a command, waits for the
  // server's delayed acknowledgement of the command (some 40 ms, 200 ms on
  // Windows) before the server can answer. Failing costs only that wait.
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return static_cast<SocketHandle>(fd);
}

int ConnectIPv4(SocketHandle s, const std::uint8_t address[4], std::uint16_t portNetOrder) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = portNetOrder;
  std::memcpy(&sa.sin_addr, address, 4);
  if (connect(Fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
  return Fail();
}

int WaitReadable(SocketHandle s, int timeoutMs) { return Wait(s, POLLIN, timeoutMs); }
int WaitWritable(SocketHandle s, int timeoutMs) { return Wait(s, POLLOUT, timeoutMs); }

int WaitAnyReadable(const std::vector<SocketHandle>& sockets, int timeoutMs) {
  std::vector<pollfd> polled;
  for (SocketHandle s : sockets) polled.push_back(pollfd{Fd(s), POLLIN, 0});
  // A signal ends the wait: the caller looks whether it was told to stop.
  const int n = poll(polled.data(), polled.size(), timeoutMs < 0 ? -1 : timeoutMs);
  if (n > 0) return 1;
  if (n == 0 || errno == EINTR) return 0;
  return Fail();
}

int Send(SocketHandle s, const void* data, int length) {
  for (;;) {
    ssize_t n = send(Fd(s), data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return Fail();
  }
}

int Receive(SocketHandle s, void* data, int length) {
  for (;;) {
    ssize_t n = recv(Fd(s), data, static_cast<size_t>(length), 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return Fail();
  }
}

int Shutdown(SocketHandle s, int how) {
  return shutdown(Fd(s), how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR) == 0 ? 0 : Fail();
}

int Close(SocketHandle s) { return close(Fd(s)) == 0 ? 0 : Fail(); }

int NotifyReadable(SocketHandle, void*, unsigned) { return -1; }

int SetLingerOff(SocketHandle s) {
  linger l{0, 0};
  return setsockopt(Fd(s), SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : Fail();
}

SocketHandle ListenLoopback(std::uint16_t* port, int backlog) {
  int fd = NewSocket();
  if (fd < 0) {
    Fail();
    return kInvalidSocket;
  }
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(*port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof sa;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &size) != 0) {
    Fail();
    close(fd);
    return kInvalidSocket;
  }
  *port = ntohs(sa.sin_port);
  return static_cast<SocketHandle>(fd);
}

SocketHandle Accept(SocketHandle listener) {
  for (;;) {
    int fd = accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) return static_cast<SocketHandle>(fd);
    if (errno != EINTR) {
      Fail();
      return kInvalidSocket;
    }
  }
}

bool LookupHost(const char* name, std::uint8_t address[4]) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &list) != 0 || !list) return false;
  bool found = false;
  for (addrinfo* a = list; a; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in)) {
      std::memcpy(address, &reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr, 4);
      found = true;
      break;
    }
  }
  freeaddrinfo(list);
  return found;
}

std::uint16_t LookupServiceByName(const char* name) {
  servent entry;
  servent* result = nullptr;
  char buffer[1024];
  if (getservbyname_r(name, "tcp", &entry, buffer, sizeof buffer, &result) != 0 || !result) return 0;
  return static_cast<std::uint16_t>(result->s_port);
}

std::uint16_t LookupServiceByPort(std::uint16_t portNetOrder) {
  servent entry;
  servent* result = nullptr;
  char buffer[1024];
  if (getservbyport_r(portNetOrder, "tcp", &entry, buffer, sizeof buffer, &result) != 0 || !result)
    return 0;
  return static_cast<std::uint16_t>(result->s_port);
}

bool UsableIpv4Address() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return true;
  bool usable = false;
  for (ifaddrs* i = list; i && !usable; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
    std::uint8_t address[4];
    std::memcpy(address, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, 4);
    usable = UsableIpv4(address);
  }
  freeifaddrs(list);
  return usable;
}

}  // namespace bw::net
