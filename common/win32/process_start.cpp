// Simple process start (see process_start.h).
#include "common/win32/process_start.h"

#include <string>

#include "common/core/log.h"
#include "common/win32/system_error.h"

namespace bw {

DWORD StartSimpleProcess(HWND owner, const char* program, const char* arguments,
                         const char* directory) {
  std::string commandLine = program;
  if (arguments) {
    commandLine += ' ';
    commandLine += arguments;
  }
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  startup.lpDesktop = nullptr;
  if (owner) SetForegroundWindow(owner);

  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_SEPARATE_WOW_VDM |
                          CREATE_DEFAULT_ERROR_MODE,
                      nullptr, directory, &startup, &info)) {
    DWORD error = GetLastError();
    LogWrite("CreateProcess(%s) Failed.\n", commandLine.c_str());
    SetLastError(error);
    ShowSystemError(true);
    return 0;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

}  // namespace bw
