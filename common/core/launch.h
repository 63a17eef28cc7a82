// The launcher as the portable core sees it: starting the programs that
// Executant records describe, ending the ones it keeps hold of, and the
// waits of the auto-exec sequence. The records stay plain data: what a start
// keeps lives in a ProgramHold owned by whoever started it. The Win32 layer
// implements the launcher (common/win32/launch_win32.h); tests use a fake
// that records what was asked.
#pragma once
#include <memory>

namespace bw {

class Executant;

// A started program the launcher keeps hold of, so that it can be waited for
// or ended later (on Windows its process handle and the thread that
// termination messages go to). Only the launcher that started the program
// makes one; destroying it lets go of the program, which keeps running.
class HeldProgram {
 public:
  virtual ~HeldProgram() = default;
};

// The owner of at most one hold (empty: nothing held). Moved, never copied.
using ProgramHold = std::unique_ptr<HeldProgram>;

class Launcher {
 public:
  virtual ~Launcher() = default;

  // Starts the record's program; no desktop name means the caller's
  // desktop. 0 started (or the shell way ended, whatever its outcome), 1
  // not started because it already runs (double-start check), -1 the
  // process could not be created. With `hold`, what it held from an earlier
  // start is let go first, and the new program is kept in it when the start
  // allows (its input wait did not fail and, on the shell way, its window
  // was found).
  virtual int Launch(const Executant& e, const char* desktop, ProgramHold* hold) = 0;
  // Ends the held program with the method set (the kKill... method bits of
  // the controller record) and empties the hold, whether the program ended
  // or not. Nothing happens, and nothing is logged, when `hold` is empty.
  virtual void Kill(const Executant& e, ProgramHold& hold, int methods) = 0;
  // Waits for a held program's end: 0 ended, 1 time-out, -1 the wait
  // failed. A limit of kWaitForever waits without limit.
  virtual int WaitForEnd(const HeldProgram& held, unsigned long limitMs) = 0;
  virtual void Sleep(unsigned long ms) = 0;
};

constexpr unsigned long kWaitForever = 0xFFFFFFFFul;

// A start that is kept in `hold` and skips the double-start check: a
// non-zero ExecutionInitialOnce text reads "0" during the start and "1"
// after it. Returns the result of Launch.
int LaunchKeepingHandle(Launcher& launcher, Executant& e, ProgramHold& hold);

}  // namespace bw
