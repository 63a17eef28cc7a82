// Platform family and working-set trim (see platform_query.h).
#include "checker/win32/platform_query.h"

#include "platform/win32/system_libraries.h"

namespace bw {

int QueryPlatformFamily() { return PlatformFamily(); }

void TrimWorkingSet() {
  if (PlatformFamily() == kFamilyNt)
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

void LinkCheckerLibraries(bool load) { LinkSystemLibraries(kLinkPsapi | kLinkImm32, load); }

}  // namespace bw
