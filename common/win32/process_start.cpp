// Simple process start and the program's own start (see process_start.h).
#include "common/win32/process_start.h"

#include <string>
#include <vector>

#include "common/core/log.h"
#include "common/core/sjis.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace bw {

DWORD StartSimpleProcess(HWND owner, const char* program, const char* arguments,
                         const char* directory) {
  std::string commandLine = program;
  if (arguments) {
    commandLine += ' ';
    commandLine += arguments;
  }
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);
  startup.lpDesktop = nullptr;
  if (owner) SetForegroundWindow(owner);

  std::vector<wchar_t> command = WideBuffer(commandLine);
  const std::wstring folder = Wide(directory ? directory : "");
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_SEPARATE_WOW_VDM |
                          CREATE_DEFAULT_ERROR_MODE,
                      nullptr, directory ? folder.c_str() : nullptr, &startup, &info)) {
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

bool OwnCommandLine(std::string* text) {
  bool lossless = true;
  *text = Narrow(GetCommandLineW(), &lossless);
  return lossless;
}

std::string OwnProgramPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "";
    if (n < path.size()) {
      bool lossless = true;
      std::string narrow = Narrow(path.data(), n, &lossless);
      return lossless ? narrow : "";
    }
    if (path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
}

std::string OwnProgramFolder() {
  std::string path = OwnProgramPath();
  path.resize(FileNameStart(path));
  return path;
}

}  // namespace bw
