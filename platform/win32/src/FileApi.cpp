// Opening, reading and writing files.
#include "ErrnoMapping.h"
#include "FileObject.h"
#include "FileTime.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <fileapi.h>
#include <handleapi.h>
#include <winerror.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Windows reports a seek before the start of the file with this code.
constexpr DWORD kErrorNegativeSeek = 131;

std::shared_ptr<win32::FileObject> FileOf(HANDLE handle)
{
    auto file = win32::ReferenceHandleAs<win32::FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

HANDLE OpenMappedFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags)
{
    if (path.empty())
        return INVALID_HANDLE_VALUE; // The mapping has set the error.

    // Pass 1: the access the caller asked for.
    bool readable = access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
    bool writeData = access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA);
    bool appendOnly = !writeData && (access & FILE_APPEND_DATA);
    bool writable = writeData || appendOnly;
    int mode = readable && writable ? O_RDWR : (writable ? O_WRONLY : O_RDONLY);
    if (appendOnly)
        mode |= O_APPEND;
    mode |= O_CLOEXEC;

    // Pass 2: the creation disposition. Creating exclusively first tells an
    // existing file from a new one without a race, so ERROR_ALREADY_EXISTS
    // is reported exactly when Windows reports it.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || disposition == CREATE_NEW) {
            SetLastError(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        int descriptor = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0) {
            win32::SetLastErrorForPath(errno, path);
            return INVALID_HANDLE_VALUE;
        }
        SetLastError(ERROR_SUCCESS);
        return win32::InsertHandle(std::make_shared<win32::FileObject>(descriptor, false, false, std::string()));
    }
    int descriptor = -1;
    DWORD successCode = ERROR_SUCCESS;
    switch (disposition) {
    case CREATE_NEW:
        descriptor = open(path.c_str(), mode | O_CREAT | O_EXCL, 0666);
        if (descriptor < 0 && errno == EEXIST) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        descriptor = open(path.c_str(), mode | O_CREAT | O_EXCL, 0666);
        if (descriptor < 0 && errno == EEXIST) {
            successCode = ERROR_ALREADY_EXISTS;
            descriptor = open(path.c_str(), mode | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
        }
        break;
    case OPEN_EXISTING:
        descriptor = open(path.c_str(), mode);
        break;
    case TRUNCATE_EXISTING:
        if (!writable) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        descriptor = open(path.c_str(), mode | O_TRUNC);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (descriptor < 0) {
        win32::SetLastErrorForPath(errno, path);
        return INVALID_HANDLE_VALUE;
    }
    std::string deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) ? path : std::string();
    HANDLE handle = win32::InsertHandle(std::make_shared<win32::FileObject>(descriptor, readable, writable, deleteOnClose));
    SetLastError(successCode);
    return handle;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    return OpenMappedFile(win32::MapWindowsPath(lpFileName), dwDesiredAccess, dwCreationDisposition,
                          dwFlagsAndAttributes);
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    return OpenMappedFile(win32::MapWindowsPath(lpFileName), dwDesiredAccess, dwCreationDisposition,
                          dwFlagsAndAttributes);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    if (!file->IsReadable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A read of a disk file returns everything up to the end; only the end
    // of the file makes it short.
    auto* bytes = static_cast<char*>(lpBuffer);
    off_t offset = lpOverlapped ? static_cast<off_t>((static_cast<uint64_t>(lpOverlapped->OffsetHigh) << 32) |
                                                     lpOverlapped->Offset)
                                : 0;
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        ssize_t count = lpOverlapped ? pread(file->Descriptor(), bytes + done, nNumberOfBytesToRead - done, offset + done)
                                     : read(file->Descriptor(), bytes + done, nNumberOfBytesToRead - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            SetLastError(win32::ErrorFromErrno(errno));
            if (lpNumberOfBytesRead)
                *lpNumberOfBytesRead = done;
            return FALSE;
        }
        if (count == 0)
            break;
        done += static_cast<DWORD>(count);
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = done;
    if (lpOverlapped)
        lpOverlapped->InternalHigh = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    if (!file->IsWritable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* bytes = static_cast<const char*>(lpBuffer);
    off_t offset = lpOverlapped ? static_cast<off_t>((static_cast<uint64_t>(lpOverlapped->OffsetHigh) << 32) |
                                                     lpOverlapped->Offset)
                                : 0;
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        ssize_t count = lpOverlapped
                            ? pwrite(file->Descriptor(), bytes + done, nNumberOfBytesToWrite - done, offset + done)
                            : write(file->Descriptor(), bytes + done, nNumberOfBytesToWrite - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            SetLastError(count < 0 ? win32::ErrorFromErrno(errno) : ERROR_WRITE_FAULT);
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = done;
            return FALSE;
        }
        done += static_cast<DWORD>(count);
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = done;
    if (lpOverlapped)
        lpOverlapped->InternalHigh = done;
    return TRUE;
}

BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                             DWORD dwMoveMethod)
{
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET
                 : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
                 : dwMoveMethod == FILE_END     ? SEEK_END
                                                : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    off_t position = lseek(file->Descriptor(), static_cast<off_t>(liDistanceToMove.QuadPart), whence);
    if (position < 0) {
        SetLastError(errno == EINVAL ? kErrorNegativeSeek : win32::ErrorFromErrno(errno));
        return FALSE;
    }
    if (lpNewFilePointer)
        lpNewFilePointer->QuadPart = position;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    // Without a high part the distance is a signed 32-bit value; with one,
    // the two parts form a signed 64-bit distance.
    LARGE_INTEGER distance;
    if (lpDistanceToMoveHigh)
        distance.QuadPart = static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<DWORD>(lDistanceToMove));
    else
        distance.QuadPart = lDistanceToMove;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(hFile, distance, &position, dwMoveMethod))
        return INVALID_SET_FILE_POINTER;
    if (!lpDistanceToMoveHigh && position.QuadPart > 0xFFFFFFFELL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = position.HighPart;
    SetLastError(NO_ERROR);
    return position.LowPart;
}

BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize)
{
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    struct stat st;
    if (fstat(file->Descriptor(), &st) != 0) {
        SetLastError(win32::ErrorFromErrno(errno));
        return FALSE;
    }
    if (lpFileSize)
        lpFileSize->QuadPart = st.st_size;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size))
        return INVALID_FILE_SIZE;
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size.HighPart);
    SetLastError(NO_ERROR);
    return size.LowPart;
}

DWORD WINAPI GetFileType(HANDLE hFile)
{
    auto file = FileOf(hFile);
    struct stat st;
    if (!file || fstat(file->Descriptor(), &st) != 0)
        return FILE_TYPE_UNKNOWN;
    SetLastError(NO_ERROR);
    if (S_ISCHR(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime)
{
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    struct stat st;
    if (fstat(file->Descriptor(), &st) != 0) {
        SetLastError(win32::ErrorFromErrno(errno));
        return FALSE;
    }
    // Linux keeps no creation time in stat; the status change time is the
    // closest there is, as Wine reports it too.
    if (lpCreationTime)
        *lpCreationTime = win32::TimespecToFileTime(st.st_ctim);
    if (lpLastAccessTime)
        *lpLastAccessTime = win32::TimespecToFileTime(st.st_atim);
    if (lpLastWriteTime)
        *lpLastWriteTime = win32::TimespecToFileTime(st.st_mtim);
    return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile)
{
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    if (!file->IsWritable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    off_t position = lseek(file->Descriptor(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(file->Descriptor(), position) != 0) {
        SetLastError(win32::ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    auto file = FileOf(hFile);
    if (!file)
        return FALSE;
    if (!file->IsWritable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (fdatasync(file->Descriptor()) != 0 && errno != EINVAL) {
        SetLastError(win32::ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

LONG WINAPI CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2)
{
    uint64_t a = win32::FileTimeToTicks(*lpFileTime1);
    uint64_t b = win32::FileTimeToTicks(*lpFileTime2);
    return a < b ? -1 : (a > b ? 1 : 0);
}
