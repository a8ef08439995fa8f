// Creating, removing, inspecting, moving and copying directory entries.
#include "ErrnoMapping.h"
#include "FileAttributes.h"
#include "FileTime.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <winbase.h>
#include <winerror.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

BOOL CreateMappedDirectory(const std::string& path)
{
    if (path.empty())
        return FALSE;
    if (mkdir(path.c_str(), 0777) != 0) {
        if (errno == EEXIST)
            SetLastError(ERROR_ALREADY_EXISTS);
        else if (errno == ENOENT)
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            win32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveMappedDirectory(const std::string& path)
{
    if (path.empty())
        return FALSE;
    if (rmdir(path.c_str()) != 0) {
        if (errno == ENOTDIR)
            SetLastError(ERROR_DIRECTORY);
        else
            win32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteMappedFile(const std::string& path)
{
    if (path.empty())
        return FALSE;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        win32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    return TRUE;
}

bool StatMapped(const std::string& path, struct stat& st)
{
    if (path.empty())
        return false;
    if (stat(path.c_str(), &st) != 0) {
        win32::SetLastErrorForPath(errno, path);
        return false;
    }
    return true;
}

DWORD MappedAttributes(const std::string& path)
{
    struct stat st;
    if (!StatMapped(path, st))
        return INVALID_FILE_ATTRIBUTES;
    return win32::AttributesOf(st, BaseName(path));
}

BOOL MappedAttributesEx(const std::string& path, GET_FILEEX_INFO_LEVELS level, LPVOID information)
{
    if (level != GetFileExInfoStandard || !information) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct stat st;
    if (!StatMapped(path, st))
        return FALSE;
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
    data->dwFileAttributes = win32::AttributesOf(st, BaseName(path));
    data->ftCreationTime = win32::TimespecToFileTime(st.st_ctim);
    data->ftLastAccessTime = win32::TimespecToFileTime(st.st_atim);
    data->ftLastWriteTime = win32::TimespecToFileTime(st.st_mtim);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    return TRUE;
}

// Copies the bytes and permission bits of one regular file to another.
BOOL CopyMappedFile(const std::string& from, const std::string& to, bool failIfExists)
{
    if (from.empty() || to.empty())
        return FALSE;
    int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        win32::SetLastErrorForPath(errno, from);
        return FALSE;
    }
    struct stat st;
    if (fstat(source, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(source);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct stat target;
    if (stat(to.c_str(), &target) == 0) {
        if (failIfExists || S_ISDIR(target.st_mode)) {
            close(source);
            SetLastError(failIfExists ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (target.st_dev == st.st_dev && target.st_ino == st.st_ino) {
            close(source);
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    int destination = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (destination < 0) {
        close(source);
        win32::SetLastErrorForPath(errno, to);
        return FALSE;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t count = read(source, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            ok = count == 0;
            break;
        }
        for (ssize_t done = 0; done < count && ok;) {
            ssize_t written = write(destination, buffer + done, static_cast<size_t>(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            ok = written > 0;
            done += written > 0 ? written : 0;
        }
        if (!ok)
            break;
    }
    int error = errno;
    close(source);
    if (close(destination) != 0)
        ok = false;
    if (!ok) {
        SetLastError(win32::ErrorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}

BOOL MoveMapped(const std::string& from, const std::string& to, DWORD flags)
{
    if (from.empty() || to.empty())
        return FALSE;
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) {
        win32::SetLastErrorForPath(errno, from);
        return FALSE;
    }
    struct stat target;
    bool targetExists = lstat(to.c_str(), &target) == 0;
    bool sameEntry = targetExists && target.st_dev == st.st_dev && target.st_ino == st.st_ino;
    if (targetExists && !sameEntry && !(flags & MOVEFILE_REPLACE_EXISTING)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (targetExists && !sameEntry && S_ISDIR(target.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (rename(from.c_str(), to.c_str()) == 0)
        return TRUE;
    if (errno == EXDEV && !S_ISDIR(st.st_mode)) {
        // Across file systems a file move is a copy and a delete, as
        // MoveFile does between volumes.
        if (!CopyMappedFile(from, to, false))
            return FALSE;
        unlink(from.c_str());
        return TRUE;
    }
    win32::SetLastErrorForPath(errno, errno == ENOENT ? to : from);
    return FALSE;
}

} // namespace

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    return CreateMappedDirectory(win32::MapWindowsPath(lpPathName));
}

BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    return CreateMappedDirectory(win32::MapWindowsPath(lpPathName));
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName)
{
    return RemoveMappedDirectory(win32::MapWindowsPath(lpPathName));
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName)
{
    return RemoveMappedDirectory(win32::MapWindowsPath(lpPathName));
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    return DeleteMappedFile(win32::MapWindowsPath(lpFileName));
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName)
{
    return DeleteMappedFile(win32::MapWindowsPath(lpFileName));
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    return MappedAttributes(win32::MapWindowsPath(lpFileName));
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName)
{
    return MappedAttributes(win32::MapWindowsPath(lpFileName));
}

BOOL WINAPI GetFileAttributesExA(LPCSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation)
{
    return MappedAttributesEx(win32::MapWindowsPath(lpFileName), fInfoLevelId, lpFileInformation);
}

BOOL WINAPI GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation)
{
    return MappedAttributesEx(win32::MapWindowsPath(lpFileName), fInfoLevelId, lpFileInformation);
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName)
{
    return MoveMapped(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName),
                      MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    return MoveMapped(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName),
                      MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags)
{
    return MoveMapped(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName), dwFlags);
}

BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    return MoveMapped(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName), dwFlags);
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists)
{
    return CopyMappedFile(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName),
                          bFailIfExists);
}

BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists)
{
    return CopyMappedFile(win32::MapWindowsPath(lpExistingFileName), win32::MapWindowsPath(lpNewFileName),
                          bFailIfExists);
}
