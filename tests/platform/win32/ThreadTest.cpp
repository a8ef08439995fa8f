#include <errhandlingapi.h>
#include <handleapi.h>
#include <processthreadsapi.h>
#include <synchapi.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

DWORD WINAPI ReturnParameter(LPVOID parameter)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
}

DWORD WINAPI LeaveThroughExitThread(LPVOID)
{
    ExitThread(77);
}

DWORD WINAPI ReportThreadId(LPVOID parameter)
{
    *static_cast<std::atomic<DWORD>*>(parameter) = GetCurrentThreadId();
    return 0;
}

TEST(Thread, ExitCodeComesFromReturnOrExitThreadAndTheHandleIsSignalled)
{
    struct Case {
        LPTHREAD_START_ROUTINE routine;
        DWORD expected;
    };
    const Case cases[] = { { ReturnParameter, 1234 }, { LeaveThroughExitThread, 77 } };
    for (const auto& c : cases) {
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, c.routine, reinterpret_cast<LPVOID>(UINT_PTR { 1234 }), 0, &id);
        ASSERT_NE(thread, nullptr);
        EXPECT_NE(id, 0u);
        EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(GetThreadId(thread), id);
        EXPECT_TRUE(CloseHandle(thread));
    }
}

TEST(Thread, SuspendedThreadWaitsForResumeAndReportsItsOwnId)
{
    std::atomic<DWORD> seen { 0 };
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReportThreadId, &seen, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(seen.load(), 0u);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(seen.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());
    CloseHandle(thread);
}

TEST(Thread, CurrentThreadAndProcessPseudoHandles)
{
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(GetThreadId(GetCurrentThread()), GetCurrentThreadId());
    EXPECT_EQ(GetProcessId(GetCurrentProcess()), GetCurrentProcessId());
    EXPECT_TRUE(CloseHandle(GetCurrentThread()));
    EXPECT_FALSE(GetExitCodeThread(reinterpret_cast<HANDLE>(UINT_PTR { 0x7ff0 }), &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

DWORD g_tlsIndex = TLS_OUT_OF_INDEXES;

DWORD WINAPI ReadTlsInFreshThread(LPVOID)
{
    LPVOID value = TlsGetValue(g_tlsIndex);
    TlsSetValue(g_tlsIndex, reinterpret_cast<LPVOID>(UINT_PTR { 9 }));
    return value == nullptr ? 1 : 0;
}

TEST(Thread, TlsSlotsArePerThread)
{
    g_tlsIndex = TlsAlloc();
    ASSERT_NE(g_tlsIndex, TLS_OUT_OF_INDEXES);
    ASSERT_TRUE(TlsSetValue(g_tlsIndex, reinterpret_cast<LPVOID>(UINT_PTR { 5 })));
    HANDLE thread = CreateThread(nullptr, 0, ReadTlsInFreshThread, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 5000);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 1u) << "a new thread starts with an empty slot";
    CloseHandle(thread);
    SetLastError(ERROR_INVALID_DATA);
    EXPECT_EQ(TlsGetValue(g_tlsIndex), reinterpret_cast<LPVOID>(UINT_PTR { 5 }));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(TlsFree(g_tlsIndex));
}

} // namespace
