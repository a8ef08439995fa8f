// Querying other processes: the image path of their main module
// (GetModuleFileNameEx) and their basic information (NtQueryInformationProcess).
#include "ProcessImage.h"
#include "ProcessObject.h"
#include "TextCodec.h"

#include <errhandlingapi.h>
#include <minwinbase.h>
#include <psapi.h>
#include <winerror.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace {

// The image path of a process handle's process in Windows form; empty with
// the last error set when it cannot be read.
std::string ImagePathOfHandle(HANDLE process)
{
    pid_t pid = win32::ProcessIdOfHandle(process);
    if (pid == 0)
        return {};
    win32::ProcessEntry entry;
    if (!win32::ReadProcessEntry(pid, entry)) {
        SetLastError(ERROR_PARTIAL_COPY);
        return {};
    }
    return win32::WindowsImagePath(entry);
}

// GetModuleFileNameEx truncates a name that does not fit and terminates it;
// the answer is the number of characters copied.
template <class Char>
DWORD CopyTruncated(const std::basic_string<Char>& name, Char* buffer, DWORD size)
{
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    size_t length = std::min<size_t>(name.size(), size - 1);
    if constexpr (sizeof(Char) == 1) {
        while (length > 0 && length < name.size() && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
            --length;
    }
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), buffer);
    buffer[length] = 0;
    return static_cast<DWORD>(length);
}

} // namespace

DWORD WINAPI GetModuleFileNameExA(HANDLE hProcess, HMODULE, LPSTR lpFilename, DWORD nSize)
{
    // Only the main module of another process is known; the module handle is
    // taken to mean it.
    std::string path = ImagePathOfHandle(hProcess);
    if (path.empty())
        return 0;
    return CopyTruncated(path, lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameExW(HANDLE hProcess, HMODULE, LPWSTR lpFilename, DWORD nSize)
{
    std::string path = ImagePathOfHandle(hProcess);
    if (path.empty())
        return 0;
    return CopyTruncated(win32::Utf8ToWide(path), lpFilename, nSize);
}

NTSTATUS NTAPI NtQueryInformationProcess(HANDLE ProcessHandle, PROCESSINFOCLASS ProcessInformationClass,
                                         PVOID ProcessInformation, ULONG ProcessInformationLength,
                                         PULONG ReturnLength)
{
    if (ProcessInformationClass != ProcessBasicInformation)
        return STATUS_INVALID_INFO_CLASS;
    if (ProcessInformationLength != sizeof(PROCESS_BASIC_INFORMATION))
        return STATUS_INFO_LENGTH_MISMATCH;
    if (!ProcessInformation)
        return STATUS_ACCESS_VIOLATION;
    pid_t pid = win32::ProcessIdOfHandle(ProcessHandle);
    if (pid == 0)
        return STATUS_INVALID_HANDLE;
    win32::ProcessEntry entry;
    if (!win32::ReadProcessEntry(pid, entry))
        return STATUS_INVALID_HANDLE;

    PROCESS_BASIC_INFORMATION information;
    std::memset(&information, 0, sizeof information);
    information.ExitStatus = STILL_ACTIVE;
    information.AffinityMask = 1;
    information.BasePriority = 8;
    information.UniqueProcessId = static_cast<ULONG_PTR>(entry.pid);
    information.InheritedFromUniqueProcessId = static_cast<ULONG_PTR>(entry.parentPid);
    std::memcpy(ProcessInformation, &information, sizeof information);
    if (ReturnLength)
        *ReturnLength = sizeof information;
    return STATUS_SUCCESS;
}
