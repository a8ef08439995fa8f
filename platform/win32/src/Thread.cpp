// Threads: CreateThread over pthreads, exit codes, thread ids and TLS.
#include "ThreadObject.h"

#include <errhandlingapi.h>
#include <processthreadsapi.h>
#include <winerror.h>

#include <pthread.h>
#include <unistd.h>

#include <memory>

namespace {

struct ThreadStart {
    std::shared_ptr<win32::ThreadObject> object;
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};

// Marks the thread object as ended when the thread leaves its start routine,
// whether by returning or through ExitThread (which unwinds the stack).
struct ExitRecorder {
    win32::ThreadObject& object;
    DWORD exitCode = 0;
    ~ExitRecorder() { object.MarkExited(exitCode); }
};

thread_local ExitRecorder* t_exitRecorder = nullptr;

void* ThreadMain(void* argument)
{
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    std::shared_ptr<win32::ThreadObject> object = std::move(start->object);
    object->SetThreadId(static_cast<DWORD>(gettid()));
    object->WaitUntilResumed();

    ExitRecorder recorder { *object };
    t_exitRecorder = &recorder;
    recorder.exitCode = start->routine(start->parameter);
    t_exitRecorder = nullptr;
    return nullptr;
}

bool IsCurrentThreadPseudoHandle(HANDLE handle)
{
    return handle == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
}

} // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId)
{
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<win32::ThreadObject>();
    if (dwCreationFlags & CREATE_SUSPENDED)
        object->SetSuspended();

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (dwStackSize != 0) {
        SIZE_T minimum = static_cast<SIZE_T>(PTHREAD_STACK_MIN);
        SIZE_T size = dwStackSize < minimum ? minimum : dwStackSize;
        pthread_attr_setstacksize(&attributes, size);
    }
    auto* start = new ThreadStart { object, lpStartAddress, lpParameter };
    pthread_t thread;
    int error = pthread_create(&thread, &attributes, ThreadMain, start);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete start;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (lpThreadId)
        *lpThreadId = object->ThreadId();
    return win32::InsertHandle(object);
}

void WINAPI ExitThread(DWORD dwExitCode)
{
    if (t_exitRecorder)
        t_exitRecorder->exitCode = dwExitCode;
    // pthread_exit unwinds the stack, so destructors run as on a return; the
    // recorder's destructor then signals the thread object.
    pthread_exit(nullptr);
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    if (!lpExitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (IsCurrentThreadPseudoHandle(hThread)) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto thread = win32::ReferenceHandleAs<win32::ThreadObject>(hThread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpExitCode = thread->ExitCode();
    return TRUE;
}

DWORD WINAPI ResumeThread(HANDLE hThread)
{
    auto thread = win32::ReferenceHandleAs<win32::ThreadObject>(hThread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    return thread->Resume();
}

HANDLE WINAPI GetCurrentThread(void)
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
}

DWORD WINAPI GetCurrentThreadId(void)
{
    return static_cast<DWORD>(gettid());
}

DWORD WINAPI GetThreadId(HANDLE Thread)
{
    if (IsCurrentThreadPseudoHandle(Thread))
        return GetCurrentThreadId();
    auto thread = win32::ReferenceHandleAs<win32::ThreadObject>(Thread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return thread->ThreadId();
}

// TLS slots are pthread keys. Windows hands out small indexes; a key is a
// small unsigned number too, so it serves as the index directly.
DWORD WINAPI TlsAlloc(void)
{
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<DWORD>(key);
}

BOOL WINAPI TlsFree(DWORD dwTlsIndex)
{
    if (dwTlsIndex == TLS_OUT_OF_INDEXES || pthread_key_delete(static_cast<pthread_key_t>(dwTlsIndex)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LPVOID WINAPI TlsGetValue(DWORD dwTlsIndex)
{
    if (dwTlsIndex == TLS_OUT_OF_INDEXES) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Windows clears the last error on success, so a stored null can be told
    // from a failure.
    SetLastError(ERROR_SUCCESS);
    return pthread_getspecific(static_cast<pthread_key_t>(dwTlsIndex));
}

BOOL WINAPI TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue)
{
    if (dwTlsIndex == TLS_OUT_OF_INDEXES
        || pthread_setspecific(static_cast<pthread_key_t>(dwTlsIndex), lpTlsValue) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
