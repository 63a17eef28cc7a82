// Stand-ins for the kernel calls that the toolchain's libraries import
// although Windows 2000 lacks them: GetTickCount64 (Vista) and the vectored
// exception handler pair (XP) from the threads library (winpthreads), and
// GetModuleHandleExW (XP) from the C++ runtime's clean-up of thread_local
// objects. A program that imports them does not load on older Windows at
// all, so every Windows program links these definitions of the import slots
// instead: each one uses the system's function when the running Windows has
// it and falls back to what older Windows offers otherwise.
//
// The threads library calls them from its start-up code, before any C++
// static object is constructed: nothing here may need a constructor, a
// function-local static or a lock of the threads library.
#include "platform/win32/legacy_imports.h"

namespace bw {

ULONGLONG ExtendTickCount(TickExtension& state, DWORD now) {
  if (now < state.last) state.high += 0x100000000ull;
  state.last = now;
  return state.high + now;
}

}  // namespace bw

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();
using HandlerFn = LONG(WINAPI*)(EXCEPTION_POINTERS*);
using AddHandlerFn = PVOID(WINAPI*)(ULONG, HandlerFn);
using RemoveHandlerFn = ULONG(WINAPI*)(PVOID);
using ModuleHandleExFn = BOOL(WINAPI*)(DWORD, LPCWSTR, HMODULE*);

// The system's function of that name, or none.
template <typename Fn>
Fn SystemFunction(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC p = kernel ? GetProcAddress(kernel, name) : nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

// GetTickCount carried on past its wrap after 49.7 days. The library uses
// the count to measure waits, so seeing every wrap is enough: a caller that
// waits longer than 49 days between two calls is not one of its uses.
volatile LONG g_tickLock = 0;
bw::TickExtension g_tick;

ULONGLONG WINAPI ExtendedTickCount() {
  while (InterlockedExchange(&g_tickLock, 1) != 0) Sleep(0);
  const ULONGLONG result = bw::ExtendTickCount(g_tick, GetTickCount());
  InterlockedExchange(&g_tickLock, 0);
  return result;
}

// Resolved on first use; a second thread resolving at the same time stores
// the same value, so no lock is needed.
TickCount64Fn volatile g_tickCount64 = nullptr;

ULONGLONG WINAPI TickCount64() {
  TickCount64Fn fn = g_tickCount64;
  if (!fn) {
    fn = SystemFunction<TickCount64Fn>("GetTickCount64");
    if (!fn) fn = ExtendedTickCount;
    g_tickCount64 = fn;
  }
  return fn();
}

// Without vectored handlers the library merely cannot name its threads for
// a debugger: adding reports no handler, removing reports failure.
PVOID WINAPI AddHandler(ULONG first, HandlerFn handler) {
  AddHandlerFn fn = SystemFunction<AddHandlerFn>("AddVectoredExceptionHandler");
  return fn ? fn(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandler(PVOID handle) {
  RemoveHandlerFn fn = SystemFunction<RemoveHandlerFn>("RemoveVectoredExceptionHandler");
  return fn ? fn(handle) : 0;
}

// The C++ runtime asks for the module of a thread_local object's destructor
// to keep it loaded until the destructor has run, and lets it go afterwards
// only when it got one. Without the call it gets none: the program's own
// code, all linked into the one executable, stays loaded anyway.
BOOL WINAPI ModuleHandleEx(DWORD flags, LPCWSTR name, HMODULE* module) {
  ModuleHandleExFn fn = SystemFunction<ModuleHandleExFn>("GetModuleHandleExW");
  if (fn) return fn(flags, name, module);
  if (module) *module = nullptr;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

}  // namespace

// The import slots themselves, under the names the library's calls go
// through (the 32-bit names carry the stdcall decoration).
#if defined(__i386__)
#define BW_IMPORT_SLOT(name, bytes) __asm__("__imp__" #name "@" #bytes)
#else
#define BW_IMPORT_SLOT(name, bytes) __asm__("__imp_" #name)
#endif

extern "C" {
extern TickCount64Fn const bw_slot_GetTickCount64 BW_IMPORT_SLOT(GetTickCount64, 0);
TickCount64Fn const bw_slot_GetTickCount64 = TickCount64;
extern AddHandlerFn const bw_slot_AddVectoredExceptionHandler
    BW_IMPORT_SLOT(AddVectoredExceptionHandler, 8);
AddHandlerFn const bw_slot_AddVectoredExceptionHandler = AddHandler;
extern RemoveHandlerFn const bw_slot_RemoveVectoredExceptionHandler
    BW_IMPORT_SLOT(RemoveVectoredExceptionHandler, 4);
RemoveHandlerFn const bw_slot_RemoveVectoredExceptionHandler = RemoveHandler;
extern ModuleHandleExFn const bw_slot_GetModuleHandleExW BW_IMPORT_SLOT(GetModuleHandleExW, 12);
ModuleHandleExFn const bw_slot_GetModuleHandleExW = ModuleHandleEx;
}
