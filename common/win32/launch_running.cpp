// Running-instance test and the window search shared by the start ways.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "common/core/sjis.h"
#include "common/win32/launch_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/process_names.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/wide_text.h"

namespace bw {

std::string ModuleNameOf(const std::string& path) {
  std::string name = path.substr(FileNameStart(path));
  LowerCaseSjis(name);
  return name;
}

namespace {

struct ModuleTest {
  std::string name;
  bool found = false;
};

BOOL CALLBACK ModuleTestProc(HWND window, LPARAM param) {
  auto* test = reinterpret_cast<ModuleTest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == 0 || pid == GetCurrentProcessId()) return TRUE;
  UniqueHandle process = OpenProcessForNaming(pid);
  if (!process) return TRUE;
  std::string path = ProcessImagePath(process.get());
  if (path.empty()) return TRUE;
  process.reset();
  if (ModuleNameOf(path) != test->name) return TRUE;
  test->found = true;
  return FALSE;
}

}  // namespace

int IsModuleRunning(const char* desktop, const char* program) {
  ModuleTest test;
  test.name = ModuleNameOf(program ? program : "");
  int family = PlatformFamily();
  if (family == kFamilyNt) {
    if (desktop) {
      DesktopHandle desk(OpenDesktopW(Wide(desktop).c_str(), 0, FALSE,
                                      DESKTOP_READOBJECTS | DESKTOP_ENUMERATE |
                                          DESKTOP_SWITCHDESKTOP));
      if (!desk) return 1;
      EnumDesktopWindows(desk.get(), ModuleTestProc, reinterpret_cast<LPARAM>(&test));
    } else {
      EnumWindows(ModuleTestProc, reinterpret_cast<LPARAM>(&test));
    }
    return test.found ? 0 : 1;
  }
  if (family == kFamilyWindows95) {
    const SystemFunctions& f = LinkedFunctions();
    if (!f.CreateToolhelp32Snapshot) return 0;
    UniqueHandle snapshot(f.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || !f.Process32First || !f.Process32Next) return 1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = f.Process32First(snapshot.get(), &entry); ok;
         ok = f.Process32Next(snapshot.get(), &entry)) {
      if (ModuleNameOf(entry.szExeFile) == test.name) return 0;
    }
    return 1;
  }
  return 1;
}

namespace {

// The creation time of a process as a text that sorts by time.
bool CreationTimeText(HANDLE process, std::string* text) {
  FILETIME created, exited, kernel, user;
  SYSTEMTIME st;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
  if (!FileTimeToSystemTime(&created, &st)) return false;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%4d%02d%02d %02d:%02d.%02d.%03d", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  text->assign(buffer, 31 < std::string(buffer).size() ? 31 : std::string(buffer).size());
  return true;
}

BOOL CALLBACK WindowTestProc(HWND window, LPARAM param) {
  WindowSearch& s = *reinterpret_cast<WindowSearch*>(param);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == 0) return TRUE;
  if (s.mode == 1) {
    if (pid != s.processId) return TRUE;
    s.found = window;
    return FALSE;
  }
  if (s.mode != 2) return TRUE;
  UniqueHandle process = OpenProcessForNaming(pid);
  if (!process) return TRUE;
  if (ProcessImagePath(process.get()) != s.modulePath) return TRUE;
  std::string created;
  if (!CreationTimeText(process.get(), &created)) return TRUE;
  if (created > s.bestCreationTime) {
    s.bestCreationTime = created;
    s.found = window;
  }
  return TRUE;
}

}  // namespace

HWND SearchWindowInRounds(WindowSearch& s, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    EnumWindows(WindowTestProc, reinterpret_cast<LPARAM>(&s));
    if (s.found) break;
    ::Sleep(1000);
  }
  return s.found;
}

}  // namespace bw
