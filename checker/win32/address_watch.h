// The machine's IPv4 address list as the checker needs it: whether a usable
// address exists, and a message to the window whenever the list changes.
// IP Helper is linked at run time, so the program still starts where it is
// missing or lacks a function (Windows 95, NT 4, Windows 2000 without
// CancelIPChangeRequest).
#pragma once
#include <windows.h>

#include "platform/socket.h"

namespace bw {

class AddressWatch {
 public:
  AddressWatch() = default;
  AddressWatch(const AddressWatch&) = delete;
  AddressWatch& operator=(const AddressWatch&) = delete;
  ~AddressWatch() { Stop(); }

  // Posts `message` to `window` after every change of the address list.
  // False when the system gives no such notice: the caller then has only
  // UsableAddress to go by.
  bool Start(HWND window, UINT message);
  void Stop();

  // The machine has a usable IPv4 address (see net::UsableIpv4Address).
  static bool UsableAddress() { return net::UsableIpv4Address(); }

 private:
  struct Shared;
  static DWORD WINAPI Watch(void* parameter);

  HANDLE thread_ = nullptr;
  Shared* shared_ = nullptr;
};

}  // namespace bw
