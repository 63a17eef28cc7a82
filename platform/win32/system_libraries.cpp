// Run-time linking of PSAPI, IMM32 and the Toolhelp functions.
#include "platform/win32/system_libraries.h"

namespace bw {

namespace {

SystemFunctions g_functions;
HMODULE g_psapi = nullptr;
HMODULE g_imm32 = nullptr;
HMODULE g_kernel32 = nullptr;

template <typename Fn>
void Link(HMODULE module, const char* name, Fn* slot) {
  FARPROC p = GetProcAddress(module, name);
  *slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

int AskPlatformFamily() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return kFamilyUnknown;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return kFamilyNt;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return kFamilyWindows95;
  return kFamilyOther;
}

}  // namespace

int PlatformFamily() {
  static const int family = AskPlatformFamily();
  return family;
}

const SystemFunctions& LinkedFunctions() { return g_functions; }

void LinkSystemLibraries(int set, bool load) {
  int family = PlatformFamily();
  if (!load) {
    if (set & kLinkPsapi) {
      if (g_psapi) FreeLibrary(g_psapi);
      if (g_kernel32) FreeLibrary(g_kernel32);
      g_psapi = g_kernel32 = nullptr;
      g_functions.EnumProcesses = nullptr;
      g_functions.EnumProcessModules = nullptr;
      g_functions.GetModuleFileNameExW = nullptr;
      g_functions.GetModuleBaseNameW = nullptr;
      g_functions.QueryFullProcessImageNameW = nullptr;
      g_functions.CreateToolhelp32Snapshot = nullptr;
      g_functions.Process32First = nullptr;
      g_functions.Process32Next = nullptr;
    }
    if (set & kLinkImm32) {
      if (g_imm32) FreeLibrary(g_imm32);
      g_imm32 = nullptr;
      g_functions.ImmDisableIME = nullptr;
    }
    return;
  }
  if (family == kFamilyNt) {
    if ((set & kLinkPsapi) && !g_psapi) {
      g_psapi = LoadLibraryW(L"PSAPI.DLL");
      if (g_psapi && !g_functions.EnumProcesses) {
        Link(g_psapi, "EnumProcesses", &g_functions.EnumProcesses);
        Link(g_psapi, "EnumProcessModules", &g_functions.EnumProcessModules);
        Link(g_psapi, "GetModuleFileNameExW", &g_functions.GetModuleFileNameExW);
        Link(g_psapi, "GetModuleBaseNameW", &g_functions.GetModuleBaseNameW);
      }
    }
    // Kernel32 is always loaded; the call is simply absent before Vista.
    if ((set & kLinkPsapi) && !g_functions.QueryFullProcessImageNameW) {
      if (HMODULE kernel32 = GetModuleHandleW(L"KERNEL32.DLL"))
        Link(kernel32, "QueryFullProcessImageNameW", &g_functions.QueryFullProcessImageNameW);
    }
    if ((set & kLinkImm32) && !g_imm32) {
      g_imm32 = LoadLibraryW(L"IMM32.DLL");
      if (g_imm32 && !g_functions.ImmDisableIME)
        Link(g_imm32, "ImmDisableIME", &g_functions.ImmDisableIME);
    }
  } else if (family == kFamilyWindows95) {
    if (!g_kernel32) g_kernel32 = LoadLibraryW(L"Kernel32.DLL");
    if (g_kernel32 && !g_functions.CreateToolhelp32Snapshot) {
      Link(g_kernel32, "CreateToolhelp32Snapshot", &g_functions.CreateToolhelp32Snapshot);
      Link(g_kernel32, "Process32First", &g_functions.Process32First);
      Link(g_kernel32, "Process32Next", &g_functions.Process32Next);
    }
  }
}

}  // namespace bw
