// WinSock 1.1 implementation of the socket layer (WSOCK32).
#include <winsock.h>

#include <cstring>

#include "platform/socket.h"

namespace bw::net {
namespace {

SOCKET Sock(SocketHandle s) { return static_cast<SOCKET>(s); }

// select on `set` for reading or writing; 1 ready, 0 time-out, -1 error.
int Select(fd_set* set, bool write, int timeoutMs) {
  timeval tv;
  timeval* limit = nullptr;
  if (timeoutMs >= 0) {
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    limit = &tv;
  }
  int n = select(0, write ? nullptr : set, write ? set : nullptr, nullptr, limit);
  if (n == SOCKET_ERROR) return -1;
  return n > 0 ? 1 : 0;
}

int Wait(SocketHandle s, bool write, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(Sock(s), &set);
  return Select(&set, write, timeoutMs);
}

}  // namespace

int Startup(int* granted) {
  WSADATA data;
  int rc = WSAStartup(MAKEWORD(1, 1), &data);
  if (granted) *granted = rc == 0 ? data.wVersion : 0;
  return rc;
}

void Cleanup() { WSACleanup(); }

int LastError() { return WSAGetLastError(); }
void SetLastError(int error) { WSASetLastError(error); }

// Every socket is kept from child processes: a program started meanwhile
// (the browser of a sign-in) must never hold the sign-in's listener or a mail
// connection. WSA_FLAG_NO_HANDLE_INHERIT is newer than the systems this
// runs on, so the handle's flag is cleared instead.
namespace {
SOCKET NotInherited(SOCKET s) {
  if (s != INVALID_SOCKET) SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  return s;
}
}  // namespace

SocketHandle OpenTcp() {
  SOCKET s = NotInherited(socket(AF_INET, SOCK_STREAM, 0));
  if (s == INVALID_SOCKET) return kInvalidSocket;
  // Without it the line end, sent on its own after a command, waits for the
  // server's delayed acknowledgement of the command (some 200 ms) before the
  // server can answer. Failing costs only that wait.
  BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return static_cast<SocketHandle>(s);
}

int ConnectIPv4(SocketHandle s, const std::uint8_t address[4], std::uint16_t portNetOrder) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = portNetOrder;
  std::memcpy(&sa.sin_addr, address, 4);
  return connect(Sock(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int WaitReadable(SocketHandle s, int timeoutMs) { return Wait(s, false, timeoutMs); }
int WaitWritable(SocketHandle s, int timeoutMs) { return Wait(s, true, timeoutMs); }

int WaitAnyReadable(const std::vector<SocketHandle>& sockets, int timeoutMs) {
  // select refuses three empty sets; a set holds FD_SETSIZE sockets, and
  // any beyond are heard when the wait ends.
  if (sockets.empty()) {
    Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    return 0;
  }
  fd_set set;
  FD_ZERO(&set);
  for (std::size_t i = 0; i < sockets.size() && i < FD_SETSIZE; ++i) FD_SET(Sock(sockets[i]), &set);
  return Select(&set, false, timeoutMs);
}

int Send(SocketHandle s, const void* data, int length) {
  int n = send(Sock(s), static_cast<const char*>(data), length, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

int Receive(SocketHandle s, void* data, int length) {
  int n = recv(Sock(s), static_cast<char*>(data), length, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

int Shutdown(SocketHandle s, int how) { return shutdown(Sock(s), how) == 0 ? 0 : -1; }
int Close(SocketHandle s) { return closesocket(Sock(s)) == 0 ? 0 : -1; }

int NotifyReadable(SocketHandle s, void* window, unsigned message) {
  return WSAAsyncSelect(Sock(s), static_cast<HWND>(window), message, FD_READ | FD_CLOSE) == 0 ? 0 : -1;
}

int SetLingerOff(SocketHandle s) {
  linger l;
  l.l_onoff = 0;
  l.l_linger = 0;
  return setsockopt(Sock(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l) == 0
             ? 0
             : -1;
}

SocketHandle ListenLoopback(std::uint16_t* port, int backlog) {
  SOCKET s = NotInherited(socket(AF_INET, SOCK_STREAM, 0));
  if (s == INVALID_SOCKET) return kInvalidSocket;
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(*port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof sa;
  if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(s, backlog) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&sa), &size) != 0) {
    closesocket(s);
    return kInvalidSocket;
  }
  *port = ntohs(sa.sin_port);
  return static_cast<SocketHandle>(s);
}

SocketHandle Accept(SocketHandle listener) {
  SOCKET s = NotInherited(accept(Sock(listener), nullptr, nullptr));
  return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

bool LookupHost(const char* name, std::uint8_t address[4]) {
  hostent* h = gethostbyname(name);
  // Only a 4-byte IPv4 entry fits the account's address.
  if (!h || h->h_addrtype != AF_INET || h->h_length != 4 || !h->h_addr_list || !h->h_addr_list[0])
    return false;
  std::memcpy(address, h->h_addr_list[0], 4);
  return true;
}

std::uint16_t LookupServiceByName(const char* name) {
  servent* s = getservbyname(name, "tcp");
  return s ? static_cast<std::uint16_t>(s->s_port) : 0;
}

std::uint16_t LookupServiceByPort(std::uint16_t portNetOrder) {
  servent* s = getservbyport(portNetOrder, "tcp");
  return s ? static_cast<std::uint16_t>(s->s_port) : 0;
}

}  // namespace bw::net
