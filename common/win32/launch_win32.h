// The Win32 launcher: direct, shell and Hopexec starts, the window search,
// termination of held processes and the running-instance test.
#pragma once
#include <windows.h>

#include <string>

#include "common/core/launch.h"

namespace bw {

class Win32Launcher : public Launcher {
 public:
  int Launch(Executant& e, const char* desktop) override;
  int Kill(Executant& e, int methods) override;
  int LaunchViaHopexec(Executant& e, const char* desktop) override;
  int LaunchViaShell(Executant& e) override;
  void* FindTopLevelWindow(Executant& e, void* process, int timeoutMs, void* snapshotBefore,
                           void* snapshotAfter) override;
  void ResetWindowSearch(int mode) override;
  int WaitForProcessEnd(void* process, unsigned long limitMs) override;
  void Sleep(unsigned long ms) override;
};

// Installs the process-wide Win32 launcher and the hook by which a record
// closes its held process handle when it is destroyed.
void InstallWin32Launcher();

// 0 the program (base name and extension, compared lower-cased) is running,
// or cannot be checked on the Windows 95 family; 1 it is not running. On the
// NT family only programs owning a top-level window on the desktop count.
int IsModuleRunning(const char* desktop, const char* program);

// Base name plus extension of a path, lower-cased; Shift_JIS aware.
std::string ModuleNameOf(const std::string& path);

// Window search state (one per process). Mode 1 matches a process id, mode
// 2 a module path and keeps the window of the newest such process.
struct WindowSearch {
  int mode = 0;
  DWORD processId = 0;
  std::string modulePath;
  HWND found = nullptr;
  std::string bestCreationTime;
};
WindowSearch& CurrentWindowSearch();
// Up to `rounds` enumerations of the top-level windows with the window test,
// sleeping 1000 ms after each one that finds nothing.
HWND SearchWindowInRounds(int rounds);

}  // namespace bw
