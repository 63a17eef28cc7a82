// The Win32 launcher: direct, shell and Hopexec starts, the search for a
// started program's window, the termination of held processes and the
// running-instance test. Starting, finding and ending all happen in here;
// the records only say what to start.
#pragma once
#include <windows.h>

#include <string>

#include "common/core/launch.h"
#include "platform/win32/handles.h"

namespace bw {

// What a Win32 start keeps: the process handle (owned, closed with the hold)
// and the thread that WM_CLOSE and WM_QUIT are posted to (the main thread,
// or the thread of the window the start searched for and found).
class Win32HeldProcess : public HeldProgram {
 public:
  Win32HeldProcess(UniqueHandle process, DWORD threadId)
      : process_(std::move(process)), threadId_(threadId) {}
  HANDLE Process() const { return process_.get(); }
  DWORD ThreadId() const { return threadId_; }

 private:
  UniqueHandle process_;
  DWORD threadId_;
};

class Win32Launcher : public Launcher {
 public:
  int Launch(const Executant& e, const char* desktop, ProgramHold* hold) override;
  void Kill(const Executant& e, ProgramHold& hold, int methods) override;
  int WaitForEnd(const HeldProgram& held, unsigned long limitMs) override;
  void Sleep(unsigned long ms) override;

  // The desktop switcher's way: its helper Hopexec.exe, from the folder of
  // this program, opens the argument text. Nothing is kept. 0 started, -1
  // failed. No caller in the checker uses it.
  int LaunchViaHopexec(const Executant& e, const char* desktop);

 private:
  int LaunchViaShell(const Executant& e, ProgramHold* hold);
};

// The process a hold keeps, or none (for callers that look at the program).
const Win32HeldProcess* HeldProcessOf(const ProgramHold& hold);

// 0 the program (base name and extension, compared lower-cased) is running,
// or cannot be checked on the Windows 95 family; 1 it is not running. On the
// NT family only programs owning a top-level window on the desktop count.
int IsModuleRunning(const char* desktop, const char* program);

// Base name plus extension of a path, lower-cased; Shift_JIS aware.
std::string ModuleNameOf(const std::string& path);

// The window search: mode 1 matches a process id, mode 2 a module path and
// keeps the window of the newest such process. One search at a time.
struct WindowSearch {
  int mode = 0;
  DWORD processId = 0;
  std::string modulePath;
  HWND found = nullptr;
  std::string bestCreationTime;
};
// Clears the found window and the best creation time and sets the mode.
void ResetWindowSearch(WindowSearch& search, int mode);
// Up to `rounds` enumerations of the top-level windows with the window test,
// sleeping 1000 ms after each one that finds nothing.
HWND SearchWindowInRounds(WindowSearch& search, int rounds);

}  // namespace bw
