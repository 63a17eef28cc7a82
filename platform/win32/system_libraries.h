// System functions linked at run time, because not every supported Windows
// has them: PSAPI, IMM32 and the process-naming call of Vista and later on
// the NT family, the Toolhelp functions of Kernel32 on the Windows 95
// family. Also the platform family query.
#pragma once
#include <windows.h>

#include "platform/platform_family.h"

namespace bw {

// Asked once with GetVersionExW and remembered.
int PlatformFamily();

// Library set bits.
enum : int { kLinkPsapi = 1, kLinkImm32 = 2 };

struct SystemFunctions {
  BOOL(WINAPI* EnumProcesses)(DWORD*, DWORD, DWORD*) = nullptr;
  BOOL(WINAPI* EnumProcessModules)(HANDLE, HMODULE*, DWORD, DWORD*) = nullptr;
  DWORD(WINAPI* GetModuleFileNameExW)(HANDLE, HMODULE, LPWSTR, DWORD) = nullptr;
  DWORD(WINAPI* GetModuleBaseNameW)(HANDLE, HMODULE, LPWSTR, DWORD) = nullptr;
  // Kernel32, Vista and later; names 64-bit processes from a 32-bit one.
  BOOL(WINAPI* QueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, DWORD*) = nullptr;
  BOOL(WINAPI* ImmDisableIME)(DWORD) = nullptr;
  HANDLE(WINAPI* CreateToolhelp32Snapshot)(DWORD, DWORD) = nullptr;
  BOOL(WINAPI* Process32First)(HANDLE, void*) = nullptr;
  BOOL(WINAPI* Process32Next)(HANDLE, void*) = nullptr;
};

// With `load`, links the libraries of `set` that fit the platform family;
// without it, releases them. A library or function that cannot be had stays
// absent (null), silently.
void LinkSystemLibraries(int set, bool load);

// The functions linked now.
const SystemFunctions& LinkedFunctions();

}  // namespace bw
