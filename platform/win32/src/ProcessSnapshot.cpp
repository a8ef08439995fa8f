// The tool-help snapshot: a list of the running processes taken at one moment
// and walked with Process32First / Process32Next.
#include "KernelObject.h"
#include "ProcessImage.h"
#include "TextCodec.h"

#include <errhandlingapi.h>
#include <tlhelp32.h>
#include <winerror.h>

#include <algorithm>
#include <mutex>

namespace {

class SnapshotObject final : public win32::KernelObject {
public:
    explicit SnapshotObject(std::vector<win32::ProcessEntry> entries)
        : m_entries(std::move(entries))
    {
    }

    // The entry at the cursor after moving it (first: back to the start).
    const win32::ProcessEntry* Step(bool first)
    {
        std::lock_guard guard(m_lock);
        if (first)
            m_next = 0;
        if (m_next >= m_entries.size())
            return nullptr;
        return &m_entries[m_next++];
    }

private:
    std::mutex m_lock;
    std::vector<win32::ProcessEntry> m_entries;
    size_t m_next = 0;
};

template <class Entry>
void FillFixedFields(Entry& out, const win32::ProcessEntry& entry)
{
    out.cntUsage = 0;
    out.th32ProcessID = static_cast<DWORD>(entry.pid);
    out.th32DefaultHeapID = 0;
    out.th32ModuleID = 0;
    out.cntThreads = entry.threads;
    out.th32ParentProcessID = static_cast<DWORD>(entry.parentPid);
    out.pcPriClassBase = 8;
    out.dwFlags = 0;
}

template <class Entry, class Fill>
BOOL StepSnapshot(HANDLE snapshot, Entry* out, bool first, Fill fill)
{
    if (!out || out->dwSize < sizeof(Entry)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto object = win32::ReferenceHandleAs<SnapshotObject>(snapshot);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const win32::ProcessEntry* entry = object->Step(first);
    if (!entry) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    FillFixedFields(*out, *entry);
    fill(*out, *entry);
    return TRUE;
}

void FillWide(PROCESSENTRY32W& out, const win32::ProcessEntry& entry)
{
    std::wstring name = win32::Utf8ToWide(entry.imageName);
    size_t length = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), out.szExeFile);
    out.szExeFile[length] = 0;
}

void FillNarrow(PROCESSENTRY32& out, const win32::ProcessEntry& entry)
{
    size_t length = std::min<size_t>(entry.imageName.size(), MAX_PATH - 1);
    while (length > 0 && length < entry.imageName.size()
           && (static_cast<unsigned char>(entry.imageName[length]) & 0xC0) == 0x80)
        --length;
    std::copy(entry.imageName.begin(), entry.imageName.begin() + static_cast<std::ptrdiff_t>(length), out.szExeFile);
    out.szExeFile[length] = 0;
}

} // namespace

HANDLE WINAPI CreateToolhelp32Snapshot(DWORD dwFlags, DWORD)
{
    // Only the process list is kept; a snapshot asked for other lists alone
    // holds no processes.
    std::vector<win32::ProcessEntry> entries;
    if (dwFlags & TH32CS_SNAPPROCESS)
        entries = win32::ListProcesses();
    return win32::InsertHandle(std::make_shared<SnapshotObject>(std::move(entries)));
}

BOOL WINAPI Process32FirstW(HANDLE hSnapshot, LPPROCESSENTRY32W lppe)
{
    return StepSnapshot(hSnapshot, lppe, true, FillWide);
}

BOOL WINAPI Process32NextW(HANDLE hSnapshot, LPPROCESSENTRY32W lppe)
{
    return StepSnapshot(hSnapshot, lppe, false, FillWide);
}

BOOL WINAPI Process32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    return StepSnapshot(hSnapshot, lppe, true, FillNarrow);
}

BOOL WINAPI Process32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe)
{
    return StepSnapshot(hSnapshot, lppe, false, FillNarrow);
}
