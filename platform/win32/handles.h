// Owning wrappers for the Win32 handles of the launcher, so that every return
// path closes what it opened.
#pragma once
#include <windows.h>

namespace bw {

// A kernel handle closed with CloseHandle. Both "no handle" values (none and
// INVALID_HANDLE_VALUE, which snapshots return on failure) count as empty.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(HANDLE h = nullptr) {
    if (h_) CloseHandle(h_);
    h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
  }

 private:
  HANDLE h_ = nullptr;
};

// A desktop opened with OpenDesktopA, closed with CloseDesktop.
class DesktopHandle {
 public:
  explicit DesktopHandle(HDESK h) : h_(h) {}
  ~DesktopHandle() {
    if (h_) CloseDesktop(h_);
  }
  DesktopHandle(const DesktopHandle&) = delete;
  DesktopHandle& operator=(const DesktopHandle&) = delete;
  HDESK get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HDESK h_;
};

}  // namespace bw
