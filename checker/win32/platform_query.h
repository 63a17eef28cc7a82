// Small platform services of the checker's window code, kept apart so the
// window code needs only these two names.
#pragma once

namespace bw {

// The shared platform family query (3 NT, 2 Windows 95, 1 other, -1 unknown).
int QueryPlatformFamily();

// On the NT family, lets the system take back the idle checker's memory.
void TrimWorkingSet();

// Links (or releases) the process-inspection and input-method libraries.
void LinkCheckerLibraries(bool load);

}  // namespace bw
