// The fallback behind the GetTickCount64 import slot (legacy_imports.cpp),
// apart so that its wrap handling can be tested.
#pragma once
#include <windows.h>

namespace bw {

// The state of a 64-bit count built from the 32-bit GetTickCount.
struct TickExtension {
  DWORD last = 0;
  ULONGLONG high = 0;
};

// The 64-bit count for the 32-bit reading `now`: a reading below the last
// one means the count wrapped past 0xFFFFFFFF in between.
ULONGLONG ExtendTickCount(TickExtension& state, DWORD now);

}  // namespace bw
