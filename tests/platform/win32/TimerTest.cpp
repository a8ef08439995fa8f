// Timers: WM_TIMER carries its id, timers fire in order of due time, a timer
// that fell behind is delivered once, and thread timers call their procedure.
#include "MessageLog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace kestrova::test;

namespace {

std::vector<UINT_PTR> CollectTimers(HWND hwnd, int count, int limitMs = 2000)
{
    std::vector<UINT_PTR> ids;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    MSG msg;
    while (static_cast<int>(ids.size()) < count && std::chrono::steady_clock::now() < end) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_TIMEOUT)
            continue;
        while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER) {
                // Each timer is stopped after its first tick, so the ticks
                // show the order of the first due times.
                ids.push_back(msg.wParam);
                KillTimer(hwnd, msg.wParam);
            }
            DispatchMessageW(&msg);
        }
    }
    return ids;
}

TEST_F(WindowTest, TimersFireInOrderOfDueTimeWithTheirIds)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 3, 60, nullptr);
    SetTimer(hwnd, 1, 20, nullptr);
    SetTimer(hwnd, 2, 40, nullptr);
    auto ids = CollectTimers(hwnd, 3);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids, (std::vector<UINT_PTR> { 1, 2, 3 }));
    EXPECT_FALSE(KillTimer(hwnd, 1));
}

TEST_F(WindowTest, ATimerThatFellBehindIsDeliveredOnce)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 7, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(120)); // a dozen periods missed
    int timers = 0;
    MSG msg;
    while (PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++timers;
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(msg.wParam, 7u);
    // Resetting an existing timer replaces it rather than adding another.
    SetTimer(hwnd, 7, 10, nullptr);
    SetTimer(hwnd, 7, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    timers = 0;
    while (PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++timers;
    EXPECT_EQ(timers, 1);
    KillTimer(hwnd, 7);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
}

int g_timerCalls = 0;
UINT_PTR g_timerId = 0;

void CALLBACK CountingTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD)
{
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    g_timerId = id;
    ++g_timerCalls;
}

TEST_F(WindowTest, ThreadTimersCallTheirProcedureThroughDispatch)
{
    g_timerCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, CountingTimerProc);
    ASSERT_NE(id, 0u);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    MSG msg;
    while (g_timerCalls < 2 && std::chrono::steady_clock::now() < end) {
        if (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }
    EXPECT_EQ(g_timerCalls, 2);
    EXPECT_EQ(g_timerId, id);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(WindowTest, DestroyingAWindowKillsItsTimers)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    SetTimer(hwnd, 1, 10, nullptr);
    DestroyWindow(hwnd);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

} // namespace
