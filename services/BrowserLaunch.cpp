// The browser launch: the default handler first, then two fixed fallbacks.
#include "services/BrowserLaunch.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

// ShellExecute answers above 32 on success; 2 means the file was not found.
constexpr INT_PTR kFileNotFound = 2;

INT_PTR ShellOpen(const wchar_t* file, const wchar_t* parameters)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteW(NULL, L"open", file, parameters, NULL, SW_SHOWNORMAL));
}

// Whether an answer ends the attempt: a success, or a "file not found",
// after which a fallback could not do better.
bool EndsAttempt(INT_PTR result)
{
    return result > 32 || result == kFileNotFound;
}

} // namespace

void OpenUrlInBrowser(const wchar_t* url)
{
    if (!url)
        return;
    if (EndsAttempt(ShellOpen(url, NULL)))
        return;
    if (EndsAttempt(ShellOpen(L"iexplore.exe", url)))
        return;
    std::wstring parameters = L"url.dll,FileProtocolHandler ";
    parameters += url;
    ShellOpen(L"rundll32.exe", parameters.c_str());
}
