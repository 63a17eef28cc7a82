// Start and stop of the socket library; see socket_library.h.
#include "checker/core/socket_library.h"

#include "common/core/log.h"
#include "platform/socket.h"

namespace bw {

SocketLibrary::SocketLibrary() {
  int granted = 0;
  if (net::Startup(&granted) != 0) {
    LogWrite("WinSock Error.  WSAStartup Failed.\n");
    result_ = StartFailed;
    return;
  }
  if (granted != 0x0101) {
    LogWrite("WinsockのDLLﾊﾞｰｼﾞｮﾝが古過ぎます.　Winsock1.1以上が必要です.\n");
    net::Cleanup();
    result_ = WrongVersion;
    return;
  }
  result_ = Started;
}

SocketLibrary::~SocketLibrary() {
  if (result_ == Started) net::Cleanup();
}

}  // namespace bw
