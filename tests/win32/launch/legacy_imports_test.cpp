// The stand-in behind the GetTickCount64 import slot that every Windows
// program links (platform/win32/legacy_imports.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/legacy_imports.h"

namespace {

TEST(LegacyTickCount, AWrapOfTheThirtyTwoBitCountCarriesIntoTheHighPart) {
  bw::TickExtension t;
  EXPECT_EQ(bw::ExtendTickCount(t, 0xFFFFFF00u), 0xFFFFFF00ull);
  EXPECT_EQ(bw::ExtendTickCount(t, 0x10u), 0x100000010ull);
  EXPECT_EQ(bw::ExtendTickCount(t, 0x10u), 0x100000010ull);  // same reading: no new wrap
  EXPECT_EQ(bw::ExtendTickCount(t, 0x20u), 0x100000020ull);
  EXPECT_EQ(bw::ExtendTickCount(t, 0x05u), 0x200000005ull);
}

TEST(LegacyTickCount, TheImportSlotAnswersWithTheSystemsCount) {
  // This program's GetTickCount64 goes through the slot; where the system
  // has the call, the slot hands on to it.
  const ULONGLONG wide = GetTickCount64();
  const DWORD narrow = GetTickCount();
  EXPECT_LT(static_cast<DWORD>(narrow - static_cast<DWORD>(wide)), 1000u);
  EXPECT_GE(GetTickCount64(), wide);
}

}  // namespace
