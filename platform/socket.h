// The small socket layer under the POP3 client: blocking IPv4 TCP sockets,
// readiness waits and name look-ups, one interface for WinSock 1.1 and POSIX.
// Errors are reported as WinSock numbers on both (LastError).
#pragma once
#include <cstdint>
#include <vector>

namespace bw::net {

// Wide enough for a WinSock SOCKET on 64-bit Windows and a POSIX descriptor.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle(0);

// WinSock error numbers used by the callers.
enum : int {
  kErrInterrupted = 10004,      // WSAEINTR
  kErrBadSocket = 10038,        // WSAENOTSOCK
  kErrWouldBlock = 10035,       // WSAEWOULDBLOCK
  kErrInvalid = 10022,          // WSAEINVAL
  kErrAddressInUse = 10048,     // WSAEADDRINUSE
  kErrNetUnreachable = 10051,   // WSAENETUNREACH
  kErrConnReset = 10054,        // WSAECONNRESET
  kErrNotConnected = 10057,     // WSAENOTCONN
  kErrTimedOut = 10060,         // WSAETIMEDOUT
  kErrConnRefused = 10061,      // WSAECONNREFUSED
  kErrHostUnreachable = 10065,  // WSAEHOSTUNREACH
  kErrTooManySockets = 10024,   // WSAEMFILE
  kErrNoBuffers = 10055,        // WSAENOBUFS
  kErrOther = 10050,            // WSAENETDOWN, for anything unmapped
};

// Starts the socket library asking for version 1.1. Returns 0 or an error
// number; `granted` receives the version granted (major in the low byte,
// minor in the high byte, as WinSock's wVersion).
int Startup(int* granted);
void Cleanup();

// The calling thread's last error number, and setting it (0 clears).
int LastError();
void SetLastError(int error);

// A TCP socket for a request and reply dialogue: Nagle's algorithm is off
// (TCP_NODELAY), so that a short write goes out at once instead of waiting
// for the peer to acknowledge the one before it.
SocketHandle OpenTcp();
// Blocking connect to an IPv4 address and port, both in network order.
// 0 or -1 (LastError tells why).
int ConnectIPv4(SocketHandle s, const std::uint8_t address[4], std::uint16_t portNetOrder);
// Waits until the socket is readable (or writable); a negative time-out
// waits without limit. 1 ready, 0 time-out, -1 error.
int WaitReadable(SocketHandle s, int timeoutMs);
int WaitWritable(SocketHandle s, int timeoutMs);
// Waits at most `timeoutMs` until one of `sockets` is readable (none: just
// the wait). 1 ready, 0 time-out or a signal came, -1 error.
int WaitAnyReadable(const std::vector<SocketHandle>& sockets, int timeoutMs);
// Byte counts, 0 for a closed peer (Receive), -1 on error. Send never
// raises a signal on a broken connection.
int Send(SocketHandle s, const void* data, int length);
int Receive(SocketHandle s, void* data, int length);
// `how` 2 shuts both directions.
int Shutdown(SocketHandle s, int how);
int Close(SocketHandle s);
// Lingering off: a later close returns at once.
int SetLingerOff(SocketHandle s);

// A listening socket on 127.0.0.1 (for test servers). `port` in host order:
// 0 picks a free port, which is written back.
SocketHandle ListenLoopback(std::uint16_t* port, int backlog);
SocketHandle Accept(SocketHandle listener);

// Host look-up; true with the first IPv4 address of the entry. Entries that
// are not 4-byte IPv4 addresses count as not found.
bool LookupHost(const char* name, std::uint8_t address[4]);
// Service look-ups for protocol "tcp"; the port in network order or 0.
std::uint16_t LookupServiceByName(const char* name);
std::uint16_t LookupServiceByPort(std::uint16_t portNetOrder);

// An IPv4 address that reaches other machines: not 0.0.0.0, loopback or
// link-local (what a machine gives itself when no DHCP server answered).
inline bool UsableIpv4(const std::uint8_t address[4]) {
  if (address[0] == 0 || address[0] == 127) return false;
  return !(address[0] == 169 && address[1] == 254);
}
// The machine has a usable IPv4 address; true when the system cannot tell,
// so that failures are then taken as they always were.
bool UsableIpv4Address();

// Windows: `message` is posted to the window `window` (an HWND), with the
// socket as its wParam, whenever the socket has bytes to read or was closed
// (WSAAsyncSelect; the socket becomes non-blocking, which the waits before
// each send and receive already allow for). 0, or -1 (and elsewhere, where
// there is no window).
int NotifyReadable(SocketHandle s, void* window, unsigned message);

}  // namespace bw::net
