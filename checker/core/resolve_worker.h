// Runs a blocking call on a short-lived worker thread and waits for it with a
// time-out. A worker that is still running when the time-out passes is left
// to finish on its own: it writes only into storage it shares with nobody
// but the caller's discarded copy, so nothing it produces later reaches the
// account.
#pragma once
#include <functional>

namespace bw {

// Every wait of a check ends after at most this many milliseconds (120 s),
// so that no server and no look-up can hold the checker for ever.
constexpr int kWaitCeilingMs = 120 * 1000;

// The limit of one wait: seconds x 1000, capped by the wait ceiling. Zero
// or negative seconds ("no time-out of the account's own") give the
// ceiling itself.
int TimeoutMs(int seconds);

// The ceiling in force (kWaitCeilingMs unless a test shortened it).
int WaitCeilingMs();
void SetWaitCeilingMs(int ms);

// A whole check, from resolution to disconnect, ends after at most this
// many milliseconds (180 s), whatever the server does.
constexpr int kCheckCeilingMs = 180 * 1000;
int CheckCeilingMs();
// Tests shorten it; 0 or less restores kCheckCeilingMs.
void SetCheckCeilingMs(int ms);

enum class WorkerRun {
  Finished,    // `work` ran to its end in time
  TimedOut,    // the time-out passed first
  NotStarted,  // no thread could be created (the process is short of room)
};
// Runs `work` on a worker and waits at most `timeoutMs` (negative: no
// limit). `work` must own (by value or shared pointer) everything it touches.
WorkerRun RunWithTimeout(std::function<void()> work, int timeoutMs);

// Logs the worker thread that could not be created for the account `name`.
void LogWorkerNotStarted(const char* name);

// Tests make every worker fail to start, as in a process out of memory.
void SetWorkerStartsFail(bool fail);

}  // namespace bw
