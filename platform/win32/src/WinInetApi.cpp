// The WinINet entry points: sessions, URL requests, streaming reads and the
// calling thread's last server response.
#include "WinInetRequest.h"

#include "TextCodec.h"

#include <wininet.h>
#include <errhandlingapi.h>
#include <winerror.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

// What the last server that answered this thread's requests said (its status
// line); empty when no server answered.
thread_local std::string t_lastResponse;

void EnsureCurlInitialised()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

HINTERNET OpenSession(std::string agent, DWORD accessType, std::string proxy, std::string bypass, DWORD flags)
{
    switch (accessType) {
    case INTERNET_OPEN_TYPE_PRECONFIG:
    case INTERNET_OPEN_TYPE_DIRECT:
    case INTERNET_OPEN_TYPE_PROXY:
    case INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (accessType == INTERNET_OPEN_TYPE_PROXY && proxy.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    EnsureCurlInitialised();
    auto session = std::make_shared<win32::InternetSession>();
    session->agent = std::move(agent);
    session->accessType = accessType;
    session->proxyList = std::move(proxy);
    session->bypassList = std::move(bypass);
    session->flags = flags;
    SetLastError(ERROR_SUCCESS);
    return win32::InsertHandle(std::move(session));
}

HINTERNET OpenUrl(HINTERNET hInternet, const std::string& url, const std::string& headers, DWORD flags)
{
    t_lastResponse.clear();
    auto session = win32::ReferenceHandleAs<win32::InternetSession>(hInternet);
    if (!session) {
        SetLastError(win32::ReferenceHandleAs<win32::InternetHandle>(hInternet) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE
                                                                                : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (url.empty()) {
        SetLastError(ERROR_INTERNET_INVALID_URL);
        return nullptr;
    }
    auto request = std::make_shared<win32::InternetRequest>();
    DWORD error = request->Open(*session, url, headers, flags);
    t_lastResponse = request->StatusLine();
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return win32::InsertHandle(std::move(request));
}

// Extra headers come with a length, or -1 for a NUL-terminated text.
std::string HeaderText(LPCSTR headers, DWORD length)
{
    if (!headers)
        return {};
    if (length == static_cast<DWORD>(-1))
        return headers;
    return std::string(headers, strnlen(headers, length));
}

std::wstring HeaderText(LPCWSTR headers, DWORD length)
{
    if (!headers)
        return {};
    if (length == static_cast<DWORD>(-1))
        return headers;
    return std::wstring(headers, wcsnlen(headers, length));
}

// Copies text (and its NUL) into a caller's buffer of capacity characters:
// the WinINet convention for sizes is characters without the NUL on success
// and the size needed, NUL included, on ERROR_INSUFFICIENT_BUFFER.
template <class Char>
BOOL CopyOut(const std::basic_string<Char>& text, Char* buffer, LPDWORD length, DWORD units)
{
    if (!length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *length / units < needed) {
        *length = needed * units;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text.c_str(), needed * sizeof(Char));
    *length = static_cast<DWORD>(text.size()) * units;
    return TRUE;
}

// The status line's reason phrase ("Not Found" of "HTTP/1.1 404 Not Found").
std::string ReasonPhrase(const std::string& statusLine)
{
    size_t first = statusLine.find(' ');
    if (first == std::string::npos)
        return {};
    size_t second = statusLine.find(' ', first + 1);
    return second == std::string::npos ? std::string() : statusLine.substr(second + 1);
}

BOOL QueryInfo(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength, bool wide)
{
    auto request = win32::ReferenceHandleAs<win32::InternetRequest>(hRequest);
    if (!request) {
        SetLastError(win32::ReferenceHandleAs<win32::InternetHandle>(hRequest) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE
                                                                               : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpdwBufferLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD level = dwInfoLevel & 0xFFFF;
    bool number = dwInfoLevel & HTTP_QUERY_FLAG_NUMBER;
    std::string text;
    if (level == HTTP_QUERY_STATUS_CODE) {
        long code = request->StatusCode();
        if (number) {
            if (!lpBuffer || *lpdwBufferLength < sizeof(DWORD)) {
                *lpdwBufferLength = sizeof(DWORD);
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            DWORD value = static_cast<DWORD>(code);
            std::memcpy(lpBuffer, &value, sizeof value);
            *lpdwBufferLength = sizeof(DWORD);
            return TRUE;
        }
        text = std::to_string(code);
    } else if (level == HTTP_QUERY_STATUS_TEXT && !number) {
        text = ReasonPhrase(request->StatusLine());
    } else {
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
    }
    if (wide)
        return CopyOut(win32::Utf8ToWide(text), static_cast<wchar_t*>(lpBuffer), lpdwBufferLength, sizeof(wchar_t));
    return CopyOut(text, static_cast<char*>(lpBuffer), lpdwBufferLength, 1);
}

} // namespace

HINTERNET WINAPI InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy, LPCSTR lpszProxyBypass,
                               DWORD dwFlags)
{
    return OpenSession(lpszAgent ? lpszAgent : "", dwAccessType, lpszProxy ? lpszProxy : "",
                       lpszProxyBypass ? lpszProxyBypass : "", dwFlags);
}

HINTERNET WINAPI InternetOpenW(LPCWSTR lpszAgent, DWORD dwAccessType, LPCWSTR lpszProxy, LPCWSTR lpszProxyBypass,
                               DWORD dwFlags)
{
    return OpenSession(win32::WideToUtf8(lpszAgent), dwAccessType, win32::WideToUtf8(lpszProxy),
                       win32::WideToUtf8(lpszProxyBypass), dwFlags);
}

HINTERNET WINAPI InternetOpenUrlA(HINTERNET hInternet, LPCSTR lpszUrl, LPCSTR lpszHeaders, DWORD dwHeadersLength,
                                  DWORD dwFlags, DWORD_PTR)
{
    return OpenUrl(hInternet, lpszUrl ? lpszUrl : "", HeaderText(lpszHeaders, dwHeadersLength), dwFlags);
}

HINTERNET WINAPI InternetOpenUrlW(HINTERNET hInternet, LPCWSTR lpszUrl, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                                  DWORD dwFlags, DWORD_PTR)
{
    return OpenUrl(hInternet, win32::WideToUtf8(lpszUrl), win32::WideToUtf8(HeaderText(lpszHeaders, dwHeadersLength)),
                   dwFlags);
}

BOOL WINAPI InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                             LPDWORD lpdwNumberOfBytesRead)
{
    if (!lpdwNumberOfBytesRead || (!lpBuffer && dwNumberOfBytesToRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpdwNumberOfBytesRead = 0;
    auto request = win32::ReferenceHandleAs<win32::InternetRequest>(hFile);
    if (!request) {
        SetLastError(win32::ReferenceHandleAs<win32::InternetHandle>(hFile) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE
                                                                            : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD delivered = 0, error = ERROR_SUCCESS;
    if (!request->Read(lpBuffer, dwNumberOfBytesToRead, delivered, error)) {
        SetLastError(error);
        return FALSE;
    }
    *lpdwNumberOfBytesRead = delivered;
    return TRUE;
}

BOOL WINAPI InternetCloseHandle(HINTERNET hInternet)
{
    if (!win32::ReferenceHandleAs<win32::InternetHandle>(hInternet)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    win32::RemoveHandle(hInternet);
    return TRUE;
}

BOOL WINAPI InternetGetLastResponseInfoA(LPDWORD lpdwError, LPSTR lpszBuffer, LPDWORD lpdwBufferLength)
{
    if (lpdwError)
        *lpdwError = 0;
    return CopyOut(t_lastResponse, lpszBuffer, lpdwBufferLength, 1);
}

BOOL WINAPI InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer, LPDWORD lpdwBufferLength)
{
    if (lpdwError)
        *lpdwError = 0;
    // The W form counts characters, as the A form counts bytes.
    return CopyOut(win32::Utf8ToWide(t_lastResponse), lpszBuffer, lpdwBufferLength, 1);
}

BOOL WINAPI HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength, LPDWORD)
{
    return QueryInfo(hRequest, dwInfoLevel, lpBuffer, lpdwBufferLength, false);
}

BOOL WINAPI HttpQueryInfoW(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength, LPDWORD)
{
    return QueryInfo(hRequest, dwInfoLevel, lpBuffer, lpdwBufferLength, true);
}
