// Message queues: retrieval order, filters, the quit request, and sends
// across threads.
#include "MessageLog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kestrova::test;

namespace {

using D = Delivery;

TEST_F(WindowTest, RetrievalOrderIsSentPostedInputQuitPaintTimer)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    PumpMessages();
    // Queue one of each kind, in the opposite order.
    SetTimer(hwnd, 9, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    InvalidateRect(hwnd, nullptr, FALSE);
    PostQuitMessage(3);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);

    std::thread sender([hwnd] { SendMessageW(hwnd, WM_USER + 2, 0, 0); });
    // Wait until the send is queued: it is handled inside the first retrieval.
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE))
        std::this_thread::yield();

    std::vector<UINT> order;
    MSG msg;
    Log().Clear();
    for (int i = 0; i < 4 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        order.push_back(msg.message);
        if (msg.message == WM_PAINT)
            ValidateRect(hwnd, nullptr);
        if (msg.message == WM_TIMER)
            KillTimer(hwnd, 9);
    }
    sender.join();
    EXPECT_TRUE(Log().Contains({ { WM_USER + 2, D::Sent } }));
    std::vector<UINT> expected { WM_USER + 1, WM_QUIT, WM_PAINT, WM_TIMER };
    EXPECT_EQ(order, expected);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 9u);
}

TEST_F(WindowTest, QuitEndsGetMessageOnlyAfterEarlierPostedMessages)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    PostMessageW(hwnd, WM_USER + 1, 1, 0);
    PostQuitMessage(7);
    PostMessageW(hwnd, WM_USER + 1, 2, 0);
    MSG msg;
    std::vector<WPARAM> seen;
    BOOL result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0)
        seen.push_back(msg.wParam);
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(msg.wParam, 7u);
    // The quit request waits for every posted message, even later ones.
    EXPECT_EQ(seen, (std::vector<WPARAM> { 1, 2 }));
}

TEST_F(WindowTest, PeekFiltersAndNoRemove)
{
    HWND a = Create(WS_POPUP, 0, 0, 10, 10);
    HWND b = Create(WS_POPUP, 0, 0, 10, 10);
    PostMessageW(a, WM_USER + 1, 0, 0);
    PostMessageW(b, WM_USER + 2, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 3, 0, 0);
    MSG msg;
    // Table: window filter, range, expected message (0: none).
    struct Case {
        HWND filter;
        UINT first, last;
        UINT expected;
    };
    for (Case c : { Case { b, 0, 0, WM_USER + 2 }, Case { nullptr, WM_USER + 3, WM_USER + 3, WM_USER + 3 },
                    Case { reinterpret_cast<HWND>(-1), 0, 0, WM_USER + 3 }, Case { a, WM_USER + 2, WM_USER + 3, 0 },
                    Case { nullptr, 0, 0, WM_USER + 1 } }) {
        BOOL found = PeekMessageW(&msg, c.filter, c.first, c.last, PM_NOREMOVE);
        EXPECT_EQ(found ? msg.message : 0u, c.expected);
    }
    // PM_NOREMOVE left everything in place.
    EXPECT_EQ(PumpMessages(), 3);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageW(0x7ffffff0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST_F(WindowTest, CrossThreadSendWaitsForGetMessage)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    DWORD handlerThread = 0;
    CurrentHook() = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 5) {
            handlerThread = GetCurrentThreadId();
            EXPECT_TRUE(InSendMessage());
            return static_cast<LRESULT>(wParam * 2);
        }
        return std::nullopt;
    };
    std::atomic<LRESULT> answer { 0 };
    std::thread worker([&] {
        EXPECT_FALSE(InSendMessage());
        answer = SendMessageW(hwnd, WM_USER + 5, 21, 0);
        PostMessageW(hwnd, WM_USER + 6, 0, 0);
    });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 6)
        DispatchMessageW(&msg);
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    // The handler ran on the window's thread, not the sender's.
    EXPECT_EQ(handlerThread, GetCurrentThreadId());
}

TEST_F(WindowTest, CrossThreadSendIsHandledInANestedPeekLoop)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    std::atomic<bool> inModalLoop { false };
    int handled = 0;
    CurrentHook() = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 1) {
            // A modal loop of the window's own, as a dialog would run.
            inModalLoop = true;
            MSG msg;
            while (handled == 0) {
                if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&msg);
            }
            return 0;
        }
        if (message == WM_USER + 2) {
            ++handled;
            return 5;
        }
        return std::nullopt;
    };
    std::atomic<LRESULT> answer { 0 };
    std::thread worker([&] {
        while (!inModalLoop)
            std::this_thread::yield();
        answer = SendMessageW(hwnd, WM_USER + 2, 0, 0);
    });
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PumpMessages();
    worker.join();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(answer.load(), 5);
}

TEST_F(WindowTest, SendToAWindowOfAnEndedThreadReturnsAtOnce)
{
    HWND other = nullptr;
    std::thread owner([&] {
        other = CreateWindowExW(0, L"KestrovaTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    });
    owner.join();
    // The thread's windows went with it.
    EXPECT_FALSE(IsWindow(other));
    EXPECT_EQ(SendMessageW(other, WM_USER, 0, 0), 0);
}

TEST_F(WindowTest, SenderBlockedOnAThreadThatStopsRetrievingIsReleasedWhenItEnds)
{
    std::atomic<HWND> other { nullptr };
    std::atomic<bool> release { false };
    std::thread owner([&] {
        other = CreateWindowExW(0, L"KestrovaTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
        // This thread never retrieves messages again.
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    while (!other)
        std::this_thread::yield();
    std::atomic<bool> returned { false };
    std::thread sender([&] {
        SendMessageW(other, WM_USER, 0, 0);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    release = true;
    owner.join();
    sender.join();
    EXPECT_TRUE(returned);
}

TEST_F(WindowTest, ReplyMessageReleasesTheSenderEarly)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    std::atomic<bool> senderReturned { false };
    std::atomic<bool> sawReturn { false };
    CurrentHook() = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 1) {
            EXPECT_TRUE(ReplyMessage(11));
            EXPECT_EQ(InSendMessageEx(nullptr), static_cast<DWORD>(ISMEX_SEND | ISMEX_REPLIED));
            for (int i = 0; i < 1000 && !senderReturned; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            sawReturn = senderReturned.load();
            return 99;
        }
        return std::nullopt;
    };
    std::atomic<LRESULT> answer { 0 };
    std::thread worker([&] {
        answer = SendMessageW(hwnd, WM_USER + 1, 0, 0);
        senderReturned = true;
        PostMessageW(hwnd, WM_USER + 2, 0, 0);
    });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 2)
        DispatchMessageW(&msg);
    worker.join();
    EXPECT_TRUE(sawReturn);
    EXPECT_EQ(answer.load(), 11);
    EXPECT_FALSE(ReplyMessage(1)); // not inside a send
}

// A worker blocked in a send to the main thread must not hang or crash the
// process's exit.
TEST(MessageQueueExit, BlockedSenderDoesNotHoldUpExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RegisterRecordingClass(L"KestrovaExitWindow");
            HWND hwnd = CreateWindowExW(0, L"KestrovaExitWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
            std::atomic<bool> started { false };
            std::thread([&] {
                started = true;
                SendMessageW(hwnd, WM_USER, 0, 0);
            }).detach();
            while (!started)
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(WindowTest, TranslateMessageMakesCharactersFromKeyDowns)
{
    MSG msg {};
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    msg.hwnd = hwnd;
    msg.message = WM_KEYUP;
    EXPECT_TRUE(TranslateMessage(&msg));
    msg.message = WM_USER;
    EXPECT_FALSE(TranslateMessage(&msg));
}

} // namespace
