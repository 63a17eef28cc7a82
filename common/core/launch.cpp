// The process-wide launcher and the launch operations of Executant, which
// hand the platform work to it.
#include "common/core/launch.h"

#include <cstdlib>

#include "common/core/executant_record.h"

namespace bw {

namespace {
Launcher* g_launcher = nullptr;
}  // namespace

void SetLauncher(Launcher* launcher) { g_launcher = launcher; }
Launcher* CurrentLauncher() { return g_launcher; }

void* Executant::FindTopLevelWindow(void* process, int timeoutMs, void* snapshotBefore,
                                    void* snapshotAfter) {
  return g_launcher ? g_launcher->FindTopLevelWindow(*this, process, timeoutMs,
                                                     snapshotBefore, snapshotAfter)
                    : nullptr;
}

int Executant::Launch(const char* desktop) {
  return g_launcher ? g_launcher->Launch(*this, desktop) : -1;
}

int Executant::LaunchKeepingHandle() {
  // A kept process is meant to be waited for or ended later, so it is
  // started even when another instance already runs: the double-start check
  // is switched off for this one start and back on after it.
  PropertyEntry* once = properties.FindEntry("ExecutionInitialOnce");
  bool replaced = once && std::atoi(once->value.c_str()) != 0;
  if (replaced) once->value = "0";
  keepHandle = 1;
  int r = Launch(nullptr);
  keepHandle = 0;
  if (replaced) properties.SetOrAppend("ExecutionInitialOnce", "1");
  return r;
}

int Executant::Kill(int methods) {
  if (g_launcher) return g_launcher->Kill(*this, methods);
  heldThreadId = 0;
  return 0;
}

int Executant::LaunchViaHopexec(const char* desktop) {
  return g_launcher ? g_launcher->LaunchViaHopexec(*this, desktop) : -1;
}

int Executant::LaunchViaShell() { return g_launcher ? g_launcher->LaunchViaShell(*this) : 0; }

void Executant::ResetWindowSearch(int mode) {
  if (g_launcher) g_launcher->ResetWindowSearch(mode);
}

}  // namespace bw
