// Starting, finding and ending the user's applications (see launch_win32.h).
#include "common/win32/launch_win32.h"
#include "common/win32/process_start.h"
#include "platform/win32/process_names.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "common/core/controller_record.h"
#include "common/core/executant_record.h"
#include "common/core/log.h"
#include "common/core/sjis.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_error.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/wide_text.h"

namespace bw {

namespace {

// Suspended, so that the IME and the thread priority are set before the
// program runs; its own console and process group.
constexpr DWORD kDirectStartFlags = CREATE_SUSPENDED | CREATE_NEW_CONSOLE |
                                    CREATE_NEW_PROCESS_GROUP | CREATE_SEPARATE_WOW_VDM |
                                    CREATE_DEFAULT_ERROR_MODE;
// The desktop switcher's helper also gets the two bits of its own that its
// starter has always passed (0x30000000).
constexpr DWORD kHopexecOwnFlags = 0x30000000;
constexpr DWORD kHopexecStartFlags = CREATE_NEW_CONSOLE | CREATE_SEPARATE_WOW_VDM |
                                     CREATE_DEFAULT_ERROR_MODE | kHopexecOwnFlags;
static_assert(kDirectStartFlags == 0x04000A14, "direct start flags");
static_assert(kHopexecStartFlags == 0x34000810, "Hopexec start flags");

int KeyNumber(const Executant& e, const char* key) {
  return std::atoi(e.properties.FindValue(key).c_str());
}

int ShowModeOf(const Executant& e) {
  switch (KeyNumber(e, "ExecutionShowMode")) {
    case 2: return SW_SHOWMINIMIZED;
    case 3: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

DWORD PriorityClassOf(const Executant& e) {
  if (!e.priorityGiven) return 0;
  switch ((e.ExecutionPriority >> 4) & 0xF) {
    case 1: return IDLE_PRIORITY_CLASS;
    case 2: return NORMAL_PRIORITY_CLASS;
    case 3: return HIGH_PRIORITY_CLASS;
    default: return 0;
  }
}

// Thread priority of the low nibble; false when the thread is left alone.
bool ThreadPriorityOf(const Executant& e, int* priority) {
  switch (e.ExecutionPriority & 0xF) {
    case 1: *priority = THREAD_PRIORITY_LOWEST; return true;
    case 2: *priority = THREAD_PRIORITY_BELOW_NORMAL; return true;
    case 4: *priority = THREAD_PRIORITY_ABOVE_NORMAL; return true;
    case 5: *priority = THREAD_PRIORITY_HIGHEST; return true;
    default: return false;
  }
}

// Keeps the started process in the caller's hold.
void Hold(ProgramHold* hold, UniqueHandle& process, DWORD threadId) {
  if (hold) *hold = std::make_unique<Win32HeldProcess>(std::move(process), threadId);
}

// Start-up information of the direct and the Hopexec ways. `desktop` must
// outlive the start (the field is not const).
STARTUPINFOW StartupInfoOf(const Executant& e, std::vector<wchar_t>& desktop) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.lpDesktop = desktop.empty() ? nullptr : desktop.data();
  si.dwFlags = STARTF_USESHOWWINDOW;
  if (e.positionGiven) {
    si.dwFlags |= STARTF_USEPOSITION;
    si.dwX = static_cast<DWORD>(e.x);
    si.dwY = static_cast<DWORD>(e.y);
  }
  if (e.sizeGiven) {
    si.dwFlags |= STARTF_USESIZE;
    si.dwXSize = static_cast<DWORD>(e.width);
    si.dwYSize = static_cast<DWORD>(e.height);
  }
  si.wShowWindow = static_cast<WORD>(ShowModeOf(e));
  return si;
}

std::vector<wchar_t> DesktopBuffer(const char* desktop) {
  return desktop ? WideBuffer(desktop) : std::vector<wchar_t>();
}

// Moves, sizes and shows a found window as the record asks.
// Starts the record's program as `commandLine` in its working directory,
// with its start-up information and priority class; logs a failure.
bool StartRecordProcess(const Executant& e, const std::string& commandLine, const char* desktop,
                        DWORD flags, PROCESS_INFORMATION* pi) {
  std::vector<wchar_t> command = WideBuffer(commandLine);
  const std::wstring directory = Wide(e.properties.FindValue("ExecutionPath"));
  std::vector<wchar_t> desktopName = DesktopBuffer(desktop);
  STARTUPINFOW si = StartupInfoOf(e, desktopName);
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags | PriorityClassOf(e),
                     nullptr, directory.empty() ? nullptr : directory.c_str(), &si, pi))
    return true;
  LogWrite("CreateProcess(%s) Failed.\n", commandLine.c_str());
  return false;
}

void PlaceWindow(const Executant& e, HWND window) {
  if (e.positionGiven)
    SetWindowPos(window, nullptr, e.x, e.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (e.sizeGiven)
    SetWindowPos(window, nullptr, 0, 0, e.width, e.height, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(window, ShowModeOf(e));
}

int SearchRounds(int timeoutMs) {
  int n = timeoutMs / 1000;
  return n < 1 ? 1 : n;
}

// The input wait of a new process. True when it is ready; otherwise the
// failure is logged with `name` and the caller gives the process up.
bool WaitUntilReady(HANDLE process, int timeoutMs, const std::string& name) {
  DWORD r = WaitForInputIdle(process, static_cast<DWORD>(timeoutMs));
  if (r == WAIT_TIMEOUT) {
    LogWrite("(%s)は起動完了待ﾀｲﾑｱｳﾄ(%d s).\n", name.c_str(), timeoutMs / 1000);
    return false;
  }
  if (r == WAIT_FAILED) {
    LogWrite("%s\n", SystemErrorText().c_str());
    LogWrite("(%s)はProcessﾊﾝﾄﾞﾙが獲得できません.\n", name.c_str());
    return false;
  }
  return true;
}

// The new program's top-level window, or none: on the NT family the
// newest process running the same module as `process`, on the Windows 95
// family the one child of ours that the snapshot after the start shows and
// the one before it does not.
HWND FindTopLevelWindow(HANDLE process, int timeoutMs, HANDLE snapshotBefore,
                        HANDLE snapshotAfter) {
  int rounds = SearchRounds(timeoutMs);
  WindowSearch s;
  const SystemFunctions& f = LinkedFunctions();
  int family = PlatformFamily();
  if (family == kFamilyNt) {
    std::string path = ProcessImagePath(process);
    if (path.empty()) return nullptr;
    ResetWindowSearch(s, 2);
    s.modulePath = path;
    return SearchWindowInRounds(s, rounds);
  }
  if (family == kFamilyWindows95) {
    if (!snapshotBefore || !snapshotAfter || !f.Process32First || !f.Process32Next)
      return nullptr;
    DWORD self = GetCurrentProcessId();
    DWORD newProcess = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = f.Process32First(snapshotAfter, &entry); ok && !newProcess;
         ok = f.Process32Next(snapshotAfter, &entry)) {
      if (entry.th32ParentProcessID != self) continue;
      bool seenBefore = false;
      PROCESSENTRY32 old{};
      old.dwSize = sizeof old;
      for (BOOL more = f.Process32First(snapshotBefore, &old); more;
           more = f.Process32Next(snapshotBefore, &old)) {
        if (old.th32ProcessID == entry.th32ProcessID) {
          seenBefore = true;
          break;
        }
      }
      if (!seenBefore) newProcess = entry.th32ProcessID;
    }
    if (!newProcess) return nullptr;
    ResetWindowSearch(s, 1);
    s.processId = newProcess;
    return SearchWindowInRounds(s, rounds);
  }
  return nullptr;
}

}  // namespace

const Win32HeldProcess* HeldProcessOf(const ProgramHold& hold) {
  // Every hold in a Windows program is made by this launcher.
  return static_cast<const Win32HeldProcess*>(hold.get());
}

int Win32Launcher::Launch(const Executant& e, const char* desktop, ProgramHold* hold) {
  if (e.ExecutionShellExec > 0) return LaunchViaShell(e, hold);
  if (KeyNumber(e, "ExecutionInitialOnce") != 0 &&
      IsModuleRunning(desktop, e.ExecutionFileName.c_str()) == 0) {
    LogWrite("Module [%s] Already Running in Desktop[%s].\n", e.ExecutionFileName.c_str(),
             desktop ? desktop : "(null)");
    return 1;
  }
  if (hold) hold->reset();

  std::string commandLine = e.ExecutionFileName + " " + e.ExecutionArguments;
  PROCESS_INFORMATION pi{};
  if (!StartRecordProcess(e, commandLine, desktop, kDirectStartFlags, &pi)) return -1;
  UniqueHandle process(pi.hProcess);
  UniqueHandle thread(pi.hThread);
  LogWrite("CreatePrcess(%s) Success.\n", commandLine.c_str());

  const SystemFunctions& f = LinkedFunctions();
  if (KeyNumber(e, "ExecutionDisableIME") != 0 && f.ImmDisableIME) {
    LogWrite("IME Disable OK.\n");
    f.ImmDisableIME(pi.dwThreadId);
  }
  int threadPriority;
  if (e.priorityGiven && ThreadPriorityOf(e, &threadPriority))
    SetThreadPriority(thread.get(), threadPriority);
  ResumeThread(thread.get());
  thread.reset();

  DWORD threadId = pi.dwThreadId;
  if (e.ExecutionInputTO != 0) {
    if (!WaitUntilReady(process.get(), e.ExecutionInputTO, e.ExecutionFileName)) return 0;
    if (e.positionGiven || e.sizeGiven) {
      WindowSearch search;
      ResetWindowSearch(search, 1);
      search.processId = pi.dwProcessId;
      HWND window = SearchWindowInRounds(search, SearchRounds(e.ExecutionInputTO));
      if (window) {
        PlaceWindow(e, window);
        threadId = GetWindowThreadProcessId(window, nullptr);
      }
    }
  }
  Hold(hold, process, threadId);
  return 0;
}

int Win32Launcher::LaunchViaShell(const Executant& e, ProgramHold* hold) {
  if (hold) hold->reset();
  bool windowNeeded = e.positionGiven || e.sizeGiven || hold;
  const std::wstring directory = Wide(e.properties.FindValue("ExecutionPath"));
  const std::wstring file = Wide(e.ExecutionArguments);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = file.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = ShowModeOf(e);
  LogWrite("ShellExecuteEx(%s) -> ", e.ExecutionArguments.c_str());

  const SystemFunctions& f = LinkedFunctions();
  bool snapshots = windowNeeded && PlatformFamily() == kFamilyWindows95;
  UniqueHandle before;
  if (snapshots && f.CreateToolhelp32Snapshot)
    before.reset(f.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!ShellExecuteExW(&info)) {
    LogWrite("Exec Faild.\n");
    return 0;
  }
  UniqueHandle process(info.hProcess);
  if (reinterpret_cast<std::intptr_t>(info.hInstApp) < 32 || !process) {
    LogWrite("Insntance or ProcessHandle Faild.\n");
    return 0;
  }
  if (!WaitUntilReady(process.get(), e.ExecutionInputTO, e.ExecutionArguments)) return 0;
  UniqueHandle after;
  if (snapshots && f.CreateToolhelp32Snapshot)
    after.reset(f.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  LogWrite("Success.\n");
  if (DWORD priorityClass = PriorityClassOf(e)) SetPriorityClass(process.get(), priorityClass);

  if (windowNeeded) {
    HWND window = FindTopLevelWindow(process.get(), e.ExecutionInputTO, before.get(), after.get());
    before.reset();
    after.reset();
    if (!window) {
      LogWrite("ToplevelWindow が獲得できませんでした.\n");
      return 0;
    }
    PlaceWindow(e, window);
    Hold(hold, process, GetWindowThreadProcessId(window, nullptr));
  }
  return 0;
}

void ResetWindowSearch(WindowSearch& s, int mode) {
  s.found = nullptr;
  s.bestCreationTime.clear();
  s.mode = mode;
}

int Win32Launcher::LaunchViaHopexec(const Executant& e, const char* desktop) {
  std::string folder = OwnProgramFolder();
  if (folder.empty()) {
    LogWrite("Hopexec.exeのﾌｫﾙﾀﾞ名%s\n", kNotShiftJisText);
    return -1;
  }
  char sw[48];
  if ((e.positionGiven || e.sizeGiven) && e.ExecutionInputTO != 0)
    std::snprintf(sw, sizeof sw, "/WatchDog:%d", e.ExecutionInputTO);
  else
    std::snprintf(sw, sizeof sw, "/NOWAIT:0");
  std::string commandLine = folder + "Hopexec.exe " + sw + " " + e.ExecutionArguments;
  PROCESS_INFORMATION pi{};
  if (!StartRecordProcess(e, commandLine, desktop, kHopexecStartFlags, &pi)) return -1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  LogWrite("CreatePrcess(%s) Success.\n", commandLine.c_str());
  return 0;
}

void Win32Launcher::Kill(const Executant& e, ProgramHold& hold, int methods) {
  if (!hold) return;
  std::unique_ptr<HeldProgram> taken = std::move(hold);
  const Win32HeldProcess& held = static_cast<const Win32HeldProcess&>(*taken);
  HANDLE process = held.Process();
  DWORD threadId = held.ThreadId();
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process, &exitCode)) return;
  // The handle value is printed in 32 bits, as the 32-bit program shows it.
  LogWrite("Kill Check (%s) [H:%08X,T:%08X] : ", e.ExecutionFileName.c_str(),
           static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(process)),
           static_cast<unsigned>(threadId));
  if (exitCode != STILL_ACTIVE) {
    taken.reset();
    LogWrite("Already End.\n");
    return;
  }
  bool lastPostSucceeded = false;
  bool posted = false;
  if (methods & kKillPostClose) {
    lastPostSucceeded = PostThreadMessageW(threadId, WM_CLOSE, 0, 0) != 0;
    posted = true;
    LogWrite("Post(WM_CLOSE) ");
  }
  if (methods & kKillPostQuit) {
    if (posted && lastPostSucceeded) ::Sleep(500);
    lastPostSucceeded = PostThreadMessageW(threadId, WM_QUIT, 0, 0) != 0;
    posted = true;
    LogWrite("Post(WM_QUIT) ");
  }
  if (methods & kKillTerminate) {
    if (posted && lastPostSucceeded) ::Sleep(500);
    TerminateProcess(process, 0);
    LogWrite("TerminateProcess()");
  }
  LogWrite("\n");
}

int Win32Launcher::WaitForEnd(const HeldProgram& held, unsigned long limitMs) {
  HANDLE process = static_cast<const Win32HeldProcess&>(held).Process();
  DWORD r = WaitForSingleObject(process, limitMs);
  if (r == WAIT_OBJECT_0) return 0;
  return r == WAIT_TIMEOUT ? 1 : -1;
}

void Win32Launcher::Sleep(unsigned long ms) { ::Sleep(ms); }

}  // namespace bw
