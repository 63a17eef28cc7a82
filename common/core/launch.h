// The launcher as the portable core sees it: starting, finding and ending the
// programs that Executant records describe, plus the process waits of the
// auto-exec sequence. The Win32 layer installs the real one; tests install a
// fake that records what was asked.
#pragma once

namespace bw {

class Executant;

class Launcher {
 public:
  virtual ~Launcher() = default;

  // 0 started (or the shell way ended), 1 already running, -1 not created.
  virtual int Launch(Executant& e, const char* desktop) = 0;
  // Always 0; ends the process the record holds with the method set
  // (0x1 WM_CLOSE, 0x2 WM_QUIT, 0x4 TerminateProcess).
  virtual int Kill(Executant& e, int methods) = 0;
  // 0 started, -1 failed.
  virtual int LaunchViaHopexec(Executant& e, const char* desktop) = 0;
  // Always 0.
  virtual int LaunchViaShell(Executant& e) = 0;
  // The new program's top-level window, or none. The snapshots are the
  // process lists taken before and after the start (Windows 95 family only).
  virtual void* FindTopLevelWindow(Executant& e, void* process, int timeoutMs,
                                   void* snapshotBefore, void* snapshotAfter) = 0;
  virtual void ResetWindowSearch(int mode) = 0;

  // Waits for a held process to end: 0 ended, 1 time-out, -1 the wait
  // failed. A limit of kWaitForever waits without limit.
  virtual int WaitForProcessEnd(void* process, unsigned long limitMs) = 0;
  virtual void Sleep(unsigned long ms) = 0;
};

constexpr unsigned long kWaitForever = 0xFFFFFFFFul;

// The process-wide launcher the Executant operations delegate to; none until
// the platform (or a test) installs one.
void SetLauncher(Launcher* launcher);
Launcher* CurrentLauncher();

// Installs `launcher` for one scope and restores the previous one after.
class ScopedLauncher {
 public:
  explicit ScopedLauncher(Launcher* launcher) : previous_(CurrentLauncher()) {
    SetLauncher(launcher);
  }
  ~ScopedLauncher() { SetLauncher(previous_); }
  ScopedLauncher(const ScopedLauncher&) = delete;
  ScopedLauncher& operator=(const ScopedLauncher&) = delete;

 private:
  Launcher* previous_;
};

}  // namespace bw
