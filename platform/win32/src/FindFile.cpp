// Listing folders: FindFirstFile, FindNextFile, FindClose.
#include "ErrnoMapping.h"
#include "FileAttributes.h"
#include "FileTime.h"
#include "FindObject.h"
#include "TextCodec.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <fileapi.h>
#include <handleapi.h>
#include <winerror.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace win32 {

bool MatchesWildcard(const std::wstring& name, const std::wstring& pattern)
{
    if (pattern == L"*" || pattern == L"*.*")
        return true;
    // Iterative matching with one backtracking point for the last star.
    size_t n = 0, p = 0, starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

} // namespace win32

namespace {

HANDLE FindFirst(const std::string& windowsPattern, const win32::FindObject::Entry** first,
                 std::shared_ptr<win32::FindObject>& object)
{
    // Pass 1: split the pattern into its folder and its last component.
    size_t separator = windowsPattern.find_last_of("\\/");
    std::string folder;
    std::string pattern;
    if (separator == std::string::npos) {
        bool driveOnly = windowsPattern.size() >= 2 && windowsPattern[1] == ':';
        folder = driveOnly ? windowsPattern.substr(0, 2) + "\\" : ".";
        pattern = driveOnly ? windowsPattern.substr(2) : windowsPattern;
    } else {
        folder = windowsPattern.substr(0, separator + 1);
        pattern = windowsPattern.substr(separator + 1);
    }
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string linuxFolder = win32::MapWindowsPath(folder.c_str());
    if (linuxFolder.empty())
        return INVALID_HANDLE_VALUE;

    // Pass 2: collect the matching entries. A drive's root has no "." and
    // ".." entries on Windows.
    DIR* dir = opendir(linuxFolder.c_str());
    if (!dir) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : win32::ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    std::string normalFolder = linuxFolder.size() > 1 && linuxFolder.back() == '/' ? linuxFolder.substr(0, linuxFolder.size() - 1) : linuxFolder;
    bool isRoot = normalFolder == "/" || win32::UnmapLinuxPath(normalFolder).size() == 3;
    std::wstring widePattern = win32::Utf8ToWide(pattern);
    std::vector<win32::FindObject::Entry> entries;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (isRoot && (name == "." || name == ".."))
            continue;
        if (name.size() >= MAX_PATH || !win32::MatchesWildcard(win32::Utf8ToWide(name), widePattern))
            continue;
        win32::FindObject::Entry found;
        found.name = name;
        std::string full = normalFolder == "/" ? "/" + name : normalFolder + "/" + name;
        if (stat(full.c_str(), &found.status) != 0 && lstat(full.c_str(), &found.status) != 0)
            continue;
        entries.push_back(std::move(found));
    }
    closedir(dir);
    if (entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    // Windows file systems list in name order; so do we, for stable results.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return win32::CompareIgnoringCase(win32::Utf8ToWide(a.name), win32::Utf8ToWide(b.name)) < 0;
    });
    object = std::make_shared<win32::FindObject>(std::move(entries));
    *first = object->Next();
    return win32::InsertHandle(object);
}

template <class FindData>
void FillCommon(const win32::FindObject::Entry& entry, FindData* data)
{
    data->dwFileAttributes = win32::AttributesOf(entry.status, entry.name);
    data->ftCreationTime = win32::TimespecToFileTime(entry.status.st_ctim);
    data->ftLastAccessTime = win32::TimespecToFileTime(entry.status.st_atim);
    data->ftLastWriteTime = win32::TimespecToFileTime(entry.status.st_mtim);
    uint64_t size = S_ISDIR(entry.status.st_mode) ? 0 : static_cast<uint64_t>(entry.status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    data->dwReserved0 = 0;
    data->dwReserved1 = 0;
}

void Fill(const win32::FindObject::Entry& entry, WIN32_FIND_DATAA* data)
{
    FillCommon(entry, data);
    std::memset(data->cFileName, 0, sizeof data->cFileName);
    std::memcpy(data->cFileName, entry.name.data(), std::min<size_t>(entry.name.size(), MAX_PATH - 1));
    data->cAlternateFileName[0] = 0;
}

void Fill(const win32::FindObject::Entry& entry, WIN32_FIND_DATAW* data)
{
    FillCommon(entry, data);
    std::wstring name = win32::Utf8ToWide(entry.name);
    std::wmemset(data->cFileName, 0, MAX_PATH);
    std::wmemcpy(data->cFileName, name.data(), std::min<size_t>(name.size(), MAX_PATH - 1));
    data->cAlternateFileName[0] = 0;
}

template <class FindData>
HANDLE FindFirstInto(const std::string& pattern, FindData* data)
{
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const win32::FindObject::Entry* first = nullptr;
    std::shared_ptr<win32::FindObject> object;
    HANDLE handle = FindFirst(pattern, &first, object);
    if (handle != INVALID_HANDLE_VALUE)
        Fill(*first, data);
    return handle;
}

template <class FindData>
BOOL FindNextInto(HANDLE handle, FindData* data)
{
    auto object = win32::ReferenceHandleAs<win32::FindObject>(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto* entry = object->Next();
    if (!entry) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    if (data)
        Fill(*entry, data);
    return TRUE;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData)
{
    if (!lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstInto(lpFileName, lpFindFileData);
}

HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (!lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstInto(win32::WideToUtf8(lpFileName), lpFindFileData);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData)
{
    return FindNextInto(hFindFile, lpFindFileData);
}

BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    return FindNextInto(hFindFile, lpFindFileData);
}

BOOL WINAPI FindClose(HANDLE hFindFile)
{
    if (!win32::ReferenceHandleAs<win32::FindObject>(hFindFile) || !win32::RemoveHandle(hFindFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
