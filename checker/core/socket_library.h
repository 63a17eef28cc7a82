// The socket library for one stretch of network work (a check, or the
// resolution of every account at start-up): started asking for version 1.1,
// refused with its log line when it fails or grants another version, and
// stopped again when the stretch ends.
#pragma once

namespace bw {

class SocketLibrary {
 public:
  enum Result : int { Started = 0, StartFailed = -2, WrongVersion = -3 };

  SocketLibrary();
  ~SocketLibrary();
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;

  // Started, or why not (the reason is already logged).
  int result() const { return result_; }

 private:
  int result_;
};

}  // namespace bw
