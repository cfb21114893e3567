// The bound on a quiet run: the watchdog fires once when the run outlives
// it, never when the run has ended first, and exactly one of the two gets to
// write the outcome.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/RunWatchdog.h"

namespace {

TEST(RunWatchdog, FiresOnceAfterItsBoundAndTheRunThenLosesTheEnd) {
    HANDLE fired = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG calls = 0;
    CRunWatchdog watchdog;
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(watchdog.Arm(300, [&] {
        InterlockedIncrement(&calls);
        SetEvent(fired);
    }));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(fired, 10000)) << "never fired";
    EXPECT_GE(GetTickCount64() - start, 250u);
    EXPECT_FALSE(watchdog.Claim());
    Sleep(300);
    EXPECT_EQ(1, calls);
    CloseHandle(fired);
}

TEST(RunWatchdog, ARunThatEndsInTimeKeepsTheEndAndIsNeverCutShort) {
    volatile LONG calls = 0;
    {
        CRunWatchdog watchdog;
        ASSERT_TRUE(watchdog.Arm(400, [&] { InterlockedIncrement(&calls); }));
        Sleep(100);
        EXPECT_TRUE(watchdog.Claim());
        EXPECT_FALSE(watchdog.Claim());
        Sleep(700);
    }
    EXPECT_EQ(0, calls);
    // Let go before its bound: the destructor neither fires nor waits it out.
    const ULONGLONG start = GetTickCount64();
    {
        CRunWatchdog watchdog;
        ASSERT_TRUE(watchdog.Arm(60000, [&] { InterlockedIncrement(&calls); }));
    }
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(0, calls);
}

}  // namespace
