// Naming another process: the full path of the program it runs. One way for
// every caller (the running-instance test, the shell start's window search,
// the configurator's capture), so that a 32-bit build on 64-bit Windows sees
// 64-bit programs too.
#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace bw {

// The access a process handle needs to be named, to have its creation time
// and its priority class read: the limited query right where the naming call
// accepts it (Vista and later; it also reaches elevated programs and
// services), otherwise what the PSAPI module walk needs.
DWORD ProcessNamingAccess();

// Opens process `pid` with the naming access plus `extra`; empty on failure.
UniqueHandle OpenProcessForNaming(DWORD pid, DWORD extra = 0);

// The full path of the program `process` runs, or "" when it cannot be read
// or holds characters Shift_JIS cannot hold.
// QueryFullProcessImageNameW where the system has it (it works across the
// 32/64-bit boundary); otherwise the first module through PSAPI, which a
// 32-bit process cannot read from a 64-bit one. The Windows 95 family names
// processes from a snapshot instead; this answers "" there.
std::string ProcessImagePath(HANDLE process);

}  // namespace bw
