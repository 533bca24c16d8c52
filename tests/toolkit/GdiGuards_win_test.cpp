// The scoped GDI and memory pairs give back what they took when an exception passes.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"

TEST(GdiGuards, WhatTheyTookIsGivenBackWhenAnExceptionPasses) {
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    const TUniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), 2, 2));
    const TUniqueGlobal global(GlobalAlloc(GMEM_MOVEABLE, 16));
    const TUniqueLocal local(LocalAlloc(LMEM_MOVEABLE, 16));
    ASSERT_TRUE(bitmap && global && local);
    try {
        const TSelectObject selected(dc.get(), bitmap.get());
        ASSERT_TRUE(selected);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        const TGlobalLock globalLock(global.get());
        const TLocalLock localLock(local.get());
        ASSERT_TRUE(globalLock && localLock);
        EXPECT_EQ(GlobalFlags(global.get()) & GMEM_LOCKCOUNT, 1u);
        EXPECT_EQ(LocalFlags(local.get()) & LMEM_LOCKCOUNT, 1u);
        throw std::runtime_error("on the way out");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    EXPECT_EQ(GlobalFlags(global.get()) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(LocalFlags(local.get()) & LMEM_LOCKCOUNT, 0u);
    EXPECT_FALSE(TGlobalLock(nullptr)) << "no block, no lock";
}
