// Naming another process through the calls the system offers.
#include "platform/win32/process_names.h"

#include "platform/win32/system_libraries.h"
#include "platform/win32/wide_text.h"

namespace bw {

namespace {

// Not in the headers of the Windows 2000 floor the programs build against.
constexpr DWORD kProcessQueryLimitedInformation = 0x1000;

}  // namespace

DWORD ProcessNamingAccess() {
  if (LinkedFunctions().QueryFullProcessImageNameW) return kProcessQueryLimitedInformation;
  return PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
}

UniqueHandle OpenProcessForNaming(DWORD pid, DWORD extra) {
  return UniqueHandle(OpenProcess(ProcessNamingAccess() | extra, FALSE, pid));
}

std::string ProcessImagePath(HANDLE process) {
  const SystemFunctions& f = LinkedFunctions();
  wchar_t path[MAX_PATH];
  DWORD n = 0;
  if (f.QueryFullProcessImageNameW) {
    DWORD size = MAX_PATH;
    if (!f.QueryFullProcessImageNameW(process, 0, path, &size)) return "";
    n = size < MAX_PATH ? size : MAX_PATH - 1;
  } else {
    // The first module of a process is its program.
    if (!f.EnumProcessModules || !f.GetModuleFileNameExW) return "";
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!f.EnumProcessModules(process, &first, sizeof first, &needed) || !first) return "";
    n = f.GetModuleFileNameExW(process, first, path, MAX_PATH);
    if (n == 0) return "";
    if (n >= MAX_PATH) n = MAX_PATH - 1;
  }
  // A path Shift_JIS cannot hold names no program a record can name.
  bool lossless = true;
  std::string narrow = Narrow(path, n, &lossless);
  return lossless ? narrow : "";
}

}  // namespace bw
