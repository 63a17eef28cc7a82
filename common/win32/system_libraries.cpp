// Run-time linking of PSAPI, IMM32 and the Toolhelp functions.
#include "common/win32/system_libraries.h"

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
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return kFamilyUnknown;
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
      g_functions.GetModuleFileNameExA = nullptr;
      g_functions.GetModuleBaseNameA = nullptr;
      g_functions.QueryFullProcessImageNameA = nullptr;
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
      g_psapi = LoadLibraryA("PSAPI.DLL");
      if (g_psapi && !g_functions.EnumProcesses) {
        Link(g_psapi, "EnumProcesses", &g_functions.EnumProcesses);
        Link(g_psapi, "EnumProcessModules", &g_functions.EnumProcessModules);
        Link(g_psapi, "GetModuleFileNameExA", &g_functions.GetModuleFileNameExA);
        Link(g_psapi, "GetModuleBaseNameA", &g_functions.GetModuleBaseNameA);
      }
    }
    // Kernel32 is always loaded; the call is simply absent before Vista.
    if ((set & kLinkPsapi) && !g_functions.QueryFullProcessImageNameA) {
      if (HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL"))
        Link(kernel32, "QueryFullProcessImageNameA", &g_functions.QueryFullProcessImageNameA);
    }
    if ((set & kLinkImm32) && !g_imm32) {
      g_imm32 = LoadLibraryA("IMM32.DLL");
      if (g_imm32 && !g_functions.ImmDisableIME)
        Link(g_imm32, "ImmDisableIME", &g_functions.ImmDisableIME);
    }
  } else if (family == kFamilyWindows95) {
    if (!g_kernel32) g_kernel32 = LoadLibraryA("Kernel32.DLL");
    if (g_kernel32 && !g_functions.CreateToolhelp32Snapshot) {
      Link(g_kernel32, "CreateToolhelp32Snapshot", &g_functions.CreateToolhelp32Snapshot);
      Link(g_kernel32, "Process32First", &g_functions.Process32First);
      Link(g_kernel32, "Process32Next", &g_functions.Process32Next);
    }
  }
}

}  // namespace bw
