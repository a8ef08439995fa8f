// Waits, events, mutexes, critical sections and sleeps.
#include "EventObject.h"
#include "MutexObject.h"
#include "TextCodec.h"
#include "WaitableObject.h"

#include <errhandlingapi.h>
#include <synchapi.h>
#include <winerror.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

// Releasing a mutex the caller does not own fails with this code.
constexpr DWORD kErrorNotOwner = 288;

// Named events and mutexes, shared by name within the process.
struct NamedObjects {
    std::mutex lock;
    std::map<std::wstring, std::weak_ptr<win32::WaitableObject>> objects;
};

NamedObjects& Names()
{
    static auto* names = new NamedObjects;
    return *names;
}

// Creates an object, or opens the existing one of the same name. Windows
// answers a name taken by another kind of object with ERROR_INVALID_HANDLE.
template <class T, class Make>
HANDLE CreateNamed(const std::wstring& name, Make make)
{
    if (name.empty()) {
        HANDLE handle = win32::InsertHandle(make());
        SetLastError(ERROR_SUCCESS);
        return handle;
    }
    auto& names = Names();
    std::lock_guard guard(names.lock);
    if (auto existing = names.objects[name].lock()) {
        auto typed = std::dynamic_pointer_cast<T>(existing);
        if (!typed) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        HANDLE handle = win32::InsertHandle(typed);
        SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
    }
    std::shared_ptr<T> object = make();
    names.objects[name] = object;
    HANDLE handle = win32::InsertHandle(object);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

template <class T>
HANDLE OpenNamed(const std::wstring& name)
{
    auto& names = Names();
    std::lock_guard guard(names.lock);
    auto it = names.objects.find(name);
    auto object = it == names.objects.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second.lock());
    if (!object) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return win32::InsertHandle(object);
}

std::wstring NameOf(LPCSTR name)
{
    return name ? win32::Utf8ToWide(name) : std::wstring();
}

std::wstring NameOf(LPCWSTR name)
{
    return name ? std::wstring(name) : std::wstring();
}

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section)
{
    return static_cast<std::recursive_mutex*>(section->LockSemaphore);
}

} // namespace

void WINAPI Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == 0)
        std::this_thread::yield();
    else if (dwMilliseconds == INFINITE)
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI SleepEx(DWORD dwMilliseconds, BOOL)
{
    // The layer queues no asynchronous procedure calls, so an alertable
    // sleep always runs its full time.
    Sleep(dwMilliseconds);
    return 0;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    auto object = win32::ReferenceHandle(hHandle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(dwMilliseconds);
}

DWORD WINAPI WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL)
{
    return WaitForSingleObject(hHandle, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // The references keep every object alive for the whole wait, even if
    // another thread closes a handle meanwhile.
    std::vector<std::shared_ptr<win32::WaitableObject>> references;
    std::vector<win32::WaitableObject*> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        auto object = win32::ReferenceHandleAs<win32::WaitableObject>(lpHandles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(object.get());
        references.push_back(std::move(object));
    }
    return win32::WaitForObjects(objects, bWaitAll, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjectsEx(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                                      BOOL)
{
    return WaitForMultipleObjects(nCount, lpHandles, bWaitAll, dwMilliseconds);
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName)
{
    return CreateNamed<win32::EventObject>(NameOf(lpName), [&] {
        return std::make_shared<win32::EventObject>(bManualReset, bInitialState);
    });
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName)
{
    return CreateNamed<win32::EventObject>(NameOf(lpName), [&] {
        return std::make_shared<win32::EventObject>(bManualReset, bInitialState);
    });
}

HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR lpName)
{
    return OpenNamed<win32::EventObject>(NameOf(lpName));
}

HANDLE WINAPI OpenEventW(DWORD, BOOL, LPCWSTR lpName)
{
    return OpenNamed<win32::EventObject>(NameOf(lpName));
}

BOOL WINAPI SetEvent(HANDLE hEvent)
{
    auto event = win32::ReferenceHandleAs<win32::EventObject>(hEvent);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->SetSignalled(true);
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent)
{
    auto event = win32::ReferenceHandleAs<win32::EventObject>(hEvent);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->SetSignalled(false);
    return TRUE;
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName)
{
    return CreateNamed<win32::MutexObject>(NameOf(lpName),
                                           [&] { return std::make_shared<win32::MutexObject>(bInitialOwner); });
}

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName)
{
    return CreateNamed<win32::MutexObject>(NameOf(lpName),
                                           [&] { return std::make_shared<win32::MutexObject>(bInitialOwner); });
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex)
{
    auto mutex = win32::ReferenceHandleAs<win32::MutexObject>(hMutex);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release()) {
        SetLastError(kErrorNotOwner);
        return FALSE;
    }
    return TRUE;
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    InitializeCriticalSectionAndSpinCount(lpCriticalSection, 0);
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount)
{
    lpCriticalSection->DebugInfo = nullptr;
    lpCriticalSection->LockCount = -1;
    lpCriticalSection->RecursionCount = 0;
    lpCriticalSection->OwningThread = nullptr;
    lpCriticalSection->SpinCount = dwSpinCount;
    lpCriticalSection->LockSemaphore = new std::recursive_mutex;
    return TRUE;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    LockOf(lpCriticalSection)->lock();
    ++lpCriticalSection->RecursionCount;
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (!LockOf(lpCriticalSection)->try_lock())
        return FALSE;
    ++lpCriticalSection->RecursionCount;
    return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    --lpCriticalSection->RecursionCount;
    LockOf(lpCriticalSection)->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    delete LockOf(lpCriticalSection);
    lpCriticalSection->LockSemaphore = nullptr;
}
