// The daily diagnostic log: one file per UTC day in the "log" folder beside
// the executable, one line per call, opened, appended to and closed each time.
#include "services/LocalLog.h"

#include "services/PathConfig.h"

#include <windows.h>

#include <cstdio>
#include <string>

void WriteLog(const char* message)
{
    if (!message)
        message = "";

    // Pass 1: the folder, created on first use (one level only; the module
    // directory itself always exists).
    std::string moduleDir;
    GetModuleDir(moduleDir);
    char folder[MAX_PATH];
    int length = std::snprintf(folder, sizeof(folder), "%slog", moduleDir.c_str());
    // A path that does not fit the platform's path buffer loses the line.
    if (length < 0 || length >= static_cast<int>(sizeof(folder)))
        return;
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(folder, NULL);

    // Pass 2: the file of the current UTC date.
    SYSTEMTIME now;
    GetSystemTime(&now);
    char file[MAX_PATH];
    length = std::snprintf(file, sizeof(file), "%s\\%04d%02d%02d_%s", folder, now.wYear, now.wMonth, now.wDay,
                           "log.txt");
    if (length < 0 || length >= static_cast<int>(sizeof(file)))
        return;
    HANDLE handle = CreateFileA(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return;

    // Pass 3: the line, stamped with a second reading of the clock. People
    // read these stamps in UTC+8; the hour is shifted without a carry into
    // the date, so from 16:00 UTC on it prints as 24 to 31.
    GetSystemTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "Time: %d-%d-%d %d:%d:%d --> ", now.wYear, now.wMonth, now.wDay,
                  now.wHour + 8, now.wMinute, now.wSecond);
    std::string line = stamp;
    line += message;
    line += "\r\n";
    DWORD written = 0;
    WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, NULL);
    CloseHandle(handle);
}
