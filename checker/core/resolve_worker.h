// Runs a blocking call on a short-lived worker thread and waits for it with a
// time-out. A worker that is still running when the time-out passes is left
// to finish on its own: it writes only into storage it shares with nobody
// but the caller's discarded copy, so nothing it produces later reaches the
// account.
#pragma once
#include <functional>

namespace bw {

// Negative or zero seconds mean no limit (-1); otherwise seconds x 1000,
// kept within the range of an int.
int TimeoutMs(int seconds);

// True when `work` ran to its end within `timeoutMs` (negative: no limit).
// `work` must own (by value or shared pointer) everything it touches.
bool RunWithTimeout(std::function<void()> work, int timeoutMs);

}  // namespace bw
