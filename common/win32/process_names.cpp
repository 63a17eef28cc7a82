// Naming another process through the calls the system offers.
#include "common/win32/process_names.h"

#include "common/win32/system_libraries.h"

namespace bw {

namespace {

// Not in the headers of the Windows 2000 floor the programs build against.
constexpr DWORD kProcessQueryLimitedInformation = 0x1000;

}  // namespace

DWORD ProcessNamingAccess() {
  if (LinkedFunctions().QueryFullProcessImageNameA) return kProcessQueryLimitedInformation;
  return PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
}

UniqueHandle OpenProcessForNaming(DWORD pid, DWORD extra) {
  return UniqueHandle(OpenProcess(ProcessNamingAccess() | extra, FALSE, pid));
}

std::string ProcessImagePath(HANDLE process) {
  const SystemFunctions& f = LinkedFunctions();
  char path[MAX_PATH];
  if (f.QueryFullProcessImageNameA) {
    DWORD size = sizeof path;
    if (!f.QueryFullProcessImageNameA(process, 0, path, &size)) return "";
    return std::string(path, size < sizeof path ? size : sizeof path - 1);
  }
  // The first module of a process is its program.
  if (!f.EnumProcessModules || !f.GetModuleFileNameExA) return "";
  HMODULE first = nullptr;
  DWORD needed = 0;
  if (!f.EnumProcessModules(process, &first, sizeof first, &needed) || !first) return "";
  DWORD n = f.GetModuleFileNameExA(process, first, path, sizeof path);
  if (n == 0) return "";
  return std::string(path, n < sizeof path ? n : sizeof path - 1);
}

}  // namespace bw
