// The address-change notices of IP Helper, linked at run time (see address_watch.h).
#include "checker/win32/address_watch.h"

#include <iphlpapi.h>

namespace bw {
namespace {

using NotifyAddrChangeFn = DWORD(WINAPI*)(PHANDLE, LPOVERLAPPED);
using CancelIPChangeRequestFn = BOOL(WINAPI*)(LPOVERLAPPED);

struct IpHelper {
  HMODULE module = nullptr;
  NotifyAddrChangeFn notifyAddrChange = nullptr;
  CancelIPChangeRequestFn cancelIpChangeRequest = nullptr;
};

template <typename Fn>
void Link(HMODULE module, const char* name, Fn* slot) {
  *slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded once and kept for the life of the process: a notice may be pending
// in it until the process ends.
const IpHelper& Helper() {
  static const IpHelper helper = [] {
    IpHelper h;
    h.module = LoadLibraryW(L"IPHLPAPI.DLL");
    if (h.module) {
      Link(h.module, "NotifyAddrChange", &h.notifyAddrChange);
      Link(h.module, "CancelIPChangeRequest", &h.cancelIpChangeRequest);
    }
    return h;
  }();
  return helper;
}

}  // namespace

// What the watching thread shares with its owner. Without
// CancelIPChangeRequest a pending notice cannot be withdrawn, so the system
// may still write to it after Stop: it is then left to the end of the process.
struct AddressWatch::Shared {
  HWND window = nullptr;
  UINT message = 0;
  HANDLE stop = nullptr;
  HANDLE changed = nullptr;
  OVERLAPPED overlapped{};
  bool pending = false;
};

DWORD WINAPI AddressWatch::Watch(void* parameter) {
  Shared* shared = static_cast<Shared*>(parameter);
  const IpHelper& helper = Helper();
  for (;;) {
    HANDLE ignored = nullptr;
    shared->overlapped = OVERLAPPED{};
    shared->overlapped.hEvent = shared->changed;
    if (helper.notifyAddrChange(&ignored, &shared->overlapped) != ERROR_IO_PENDING) return 0;
    shared->pending = true;
    HANDLE waits[2] = {shared->stop, shared->changed};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
    shared->pending = false;
    PostMessageW(shared->window, shared->message, 0, 0);
  }
}

bool AddressWatch::Start(HWND window, UINT message) {
  Stop();
  if (!Helper().notifyAddrChange) return false;
  auto* shared = new Shared;
  shared->window = window;
  shared->message = message;
  shared->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  shared->changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!shared->stop || !shared->changed) {
    if (shared->stop) CloseHandle(shared->stop);
    if (shared->changed) CloseHandle(shared->changed);
    delete shared;
    return false;
  }
  DWORD id = 0;
  thread_ = CreateThread(nullptr, 0, Watch, shared, 0, &id);
  if (!thread_) {
    CloseHandle(shared->stop);
    CloseHandle(shared->changed);
    delete shared;
    return false;
  }
  shared_ = shared;
  return true;
}

void AddressWatch::Stop() {
  if (!thread_) return;
  SetEvent(shared_->stop);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
  const IpHelper& helper = Helper();
  bool released = !shared_->pending;
  if (!released && helper.cancelIpChangeRequest && helper.cancelIpChangeRequest(&shared_->overlapped)) {
    // The cancelled request completes: only then is what it writes to free.
    released = WaitForSingleObject(shared_->changed, 200) == WAIT_OBJECT_0;
  }
  if (released) {
    CloseHandle(shared_->stop);
    CloseHandle(shared_->changed);
    delete shared_;
  }
  shared_ = nullptr;
}

}  // namespace bw
