// The kept start shared by every caller of the launcher.
#include "common/core/launch.h"

#include <cstdlib>

#include "common/core/executant_record.h"

namespace bw {

int LaunchKeepingHandle(Launcher& launcher, Executant& e, ProgramHold& hold) {
  // A kept process is meant to be waited for or ended later, so it is
  // started even when another instance already runs: the double-start check
  // is switched off for this one start and back on after it.
  PropertyEntry* once = e.properties.FindEntry("ExecutionInitialOnce");
  bool replaced = once && std::atoi(once->value.c_str()) != 0;
  if (replaced) once->value = "0";
  int r = launcher.Launch(e, nullptr, &hold);
  if (replaced) e.properties.SetOrAppend("ExecutionInitialOnce", "1");
  return r;
}

}  // namespace bw
