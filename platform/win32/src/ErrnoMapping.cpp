#include "ErrnoMapping.h"

#include <errhandlingapi.h>
#include <winerror.h>

#include <sys/stat.h>

#include <cerrno>

namespace win32 {

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ELOOP:
        return ERROR_BAD_PATHNAME;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    case ENOSYS:
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

void SetLastErrorForPath(int error, const std::string& linuxPath)
{
    if (error == ENOENT) {
        size_t slash = linuxPath.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : linuxPath.substr(0, slash));
        struct stat st;
        bool folderExists = stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        SetLastError(folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return;
    }
    SetLastError(ErrorFromErrno(error));
}

} // namespace win32
