#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(Events, AutoResetReleasesOneWaiterAndManualResetStaysSignalled)
{
    HANDLE automatic = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(automatic, nullptr);
    ASSERT_NE(manual, nullptr);

    struct Step {
        HANDLE event;
        DWORD timeout;
        DWORD result;
    } steps[] = {
        {automatic, 0, WAIT_TIMEOUT},
        {manual, 0, WAIT_OBJECT_0},
        {manual, 0, WAIT_OBJECT_0},
        {automatic, 30, WAIT_TIMEOUT},
    };
    for (const Step& step : steps)
        EXPECT_EQ(WaitForSingleObject(step.event, step.timeout), step.result);
    ASSERT_TRUE(SetEvent(automatic));
    EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // Two waiters, one SetEvent: exactly one wakes.
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i)
        waiters.emplace_back([&] {
            if (WaitForSingleObject(automatic, 300) == WAIT_OBJECT_0)
                ++woken;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SetEvent(automatic);
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken.load(), 1);

    CloseHandle(automatic);
    CloseHandle(manual);
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Events, NamedEventsAreSharedWithinTheProcess)
{
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, L"kestrova-test-event");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, L"kestrova-test-event");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, "kestrova-test-event");
    EXPECT_NE(opened, nullptr);
    for (HANDLE handle : {first, second, opened})
        CloseHandle(handle);
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "kestrova-test-event"), nullptr);
}

TEST(Waits, MultipleObjectsAnyAndAll)
{
    HANDLE a = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE b = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE both[] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
    // b was consumed by the wait; with neither set the wait times out.
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 20), static_cast<DWORD>(WAIT_TIMEOUT));

    // Wait-all consumes nothing until every object is signalled.
    SetEvent(a);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    std::thread setter([b] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SetEvent(b);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 2000), static_cast<DWORD>(WAIT_OBJECT_0));
    setter.join();
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    HANDLE withBad[] = {a, reinterpret_cast<HANDLE>(0x123457)};
    EXPECT_EQ(WaitForMultipleObjects(2, withBad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, both, FALSE, 0), WAIT_FAILED);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(Waits, TimeoutsLastRoughlyTheirTime)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 60), static_cast<DWORD>(WAIT_TIMEOUT));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(60));
    ULONGLONG before = GetTickCount64();
    Sleep(20);
    EXPECT_GE(GetTickCount64() - before, 19u);
    CloseHandle(event);
}

TEST(Mutexes, OwnedRecursivelyAndReleasedOnlyByTheOwner)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0)); // Owner again: count 2.
    DWORD otherResult = 0;
    BOOL otherRelease = TRUE;
    std::thread other([&] {
        otherRelease = ReleaseMutex(mutex);
        otherResult = WaitForSingleObject(mutex, 20);
    });
    other.join();
    EXPECT_FALSE(otherRelease);
    EXPECT_EQ(otherResult, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    std::thread taker([&] { otherResult = WaitForSingleObject(mutex, 0); });
    taker.join();
    EXPECT_EQ(otherResult, static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(mutex);
}

TEST(CriticalSections, AreRecursiveAndExclusive)
{
    CRITICAL_SECTION section;
    InitializeCriticalSectionAndSpinCount(&section, 4000);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    BOOL otherEntered = TRUE;
    std::thread other([&] { otherEntered = TryEnterCriticalSection(&section); });
    other.join();
    EXPECT_FALSE(otherEntered);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);

    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnTheValuesWindowsReturns)
{
    LONG value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 5);
    EXPECT_EQ(InterlockedExchange(&value, 1), 15);
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 2), 1); // No match: unchanged.
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 1), 1);
    EXPECT_EQ(value, 9);
    int target = 0;
    PVOID pointer = nullptr;
    EXPECT_EQ(InterlockedCompareExchangePointer(&pointer, &target, nullptr), nullptr);
    EXPECT_EQ(InterlockedExchangePointer(&pointer, nullptr), &target);
}

} // namespace
