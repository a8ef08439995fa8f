#include "services/InstallerDownload.h"

#include "services/LocalLog.h"
#include "services/PathConfig.h"
#include "services/TextConversion.h"

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace {

const char kUserAgent[] = "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                          "Chrome/46.0.2490.80 Safari/537.36 Holvane";
const char kDownloadPath[] = "/uploads/tools/netframework/";
constexpr DWORD kReadSize = 1023;
constexpr DWORD kPauseMilliseconds = 5000;

// The handles of one download, released however the download ends.
struct DownloadHandles {
    HINTERNET session = nullptr;
    HINTERNET url = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;

    ~DownloadHandles() { Release(); }
    void Release()
    {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (url)
            InternetCloseHandle(url);
        if (session)
            InternetCloseHandle(session);
        file = INVALID_HANDLE_VALUE;
        url = nullptr;
        session = nullptr;
    }
};

// Copies the response into the file until a read delivers nothing; a failed
// read delivers nothing too. The received bytes are staged and written in
// large blocks, as a buffered binary stream would write them: one system call
// per 1023-byte read would cost more than the transfer itself.
void CopyResponse(HINTERNET url, HANDLE file)
{
    constexpr DWORD kStagingSize = 64 * 1024;
    static_assert(kStagingSize >= kReadSize);
    std::vector<char> staging(kStagingSize);
    DWORD staged = 0;
    auto flush = [&] {
        DWORD written = 0;
        if (staged > 0)
            WriteFile(file, staging.data(), staged, &written, nullptr);
        staged = 0;
    };
    for (;;) {
        if (kStagingSize - staged < kReadSize)
            flush();
        DWORD received = 0;
        InternetReadFile(url, staging.data() + staged, kReadSize, &received);
        if (received == 0)
            break;
        staged += received;
    }
    flush();
}

} // namespace

bool DownloadInstaller(const char* fileName)
{
    try {
        DownloadHandles handles;

        // Steps 1 and 2: the tools folder, the target and the source.
        if (GetFileAttributesA(kToolsFolder) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryA(kToolsFolder, nullptr);
        std::string name = fileName ? fileName : "";
        std::string target = std::string(kToolsFolderWithSlash) + name;
        std::string source = WideToAnsi(GetToolsServerBaseUrl()) + kDownloadPath + name;

        // Steps 3 and 4: the session, with the user's proxy settings.
        handles.session = InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!handles.session) {
            WriteLog("hSession=NULL");
        } else {
            // Steps 5 and 6: the URL; a failure ends the download at once.
            handles.url = InternetOpenUrlA(handles.session, source.c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0);
            if (!handles.url) {
                DWORD error = GetLastError();
                char info[260] = {};
                DWORD length = sizeof info;
                InternetGetLastResponseInfoA(&error, info, &length);
                WriteLog(info);
                return false;
            }

            // Steps 7 and 8: the target file and the transfer.
            WriteLog("1");
            handles.file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handles.file != INVALID_HANDLE_VALUE) {
                CopyResponse(handles.url, handles.file);
                CloseHandle(handles.file);
                handles.file = INVALID_HANDLE_VALUE;
            }

            // Step 9.
            WriteLog("2");
            handles.Release();
        }
    } catch (...) {
        WriteLog("crash");
        return false;
    }

    // Step 10.
    WriteLog("true");
    Sleep(kPauseMilliseconds);
    return true;
}
