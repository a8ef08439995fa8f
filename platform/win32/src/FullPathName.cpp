// GetFullPathName and GetTempPath: Windows-form paths built from the
// current directory and the temporary folder.
#include "TextCodec.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <fileapi.h>
#include <winerror.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string CurrentWindowsDirectory()
{
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return win32::UnmapLinuxPath(error ? std::string("/") : path.string());
}

// Makes a path absolute against the current directory and resolves "." and
// ".." textually, as Windows does without touching the disk. Returns an
// empty text for an empty path.
std::string FullWindowsPath(const std::string& path)
{
    if (path.empty())
        return {};
    std::string current = CurrentWindowsDirectory();
    std::string root;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":\\";
        rest = path.substr(2);
        if (rest.empty() || !IsSeparator(rest[0])) {
            // "C:name" is relative to the current directory when it is on
            // that drive, else to the drive's root.
            if (std::toupper(static_cast<unsigned char>(current[0])) == root[0])
                rest = current.substr(2) + "\\" + rest;
        }
    } else if (IsSeparator(path[0])) {
        root = current.substr(0, 2) + "\\";
        rest = path;
    } else {
        root = current.substr(0, 2) + "\\";
        rest = current.substr(2) + "\\" + path;
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t end = i;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        std::string part = rest.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        size_t keep = part.find_last_not_of(". ");
        if (keep != std::string::npos)
            part.resize(keep + 1);
        parts.push_back(part);
    }
    std::string result = root;
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k)
            result += '\\';
        result += parts[k];
    }
    if (IsSeparator(path.back()) && result.back() != '\\')
        result += '\\';
    return result;
}

// Copies a result into a caller's buffer the way the path functions do:
// the length without the NUL when it fits, else the size needed with it.
template <class Char>
DWORD CopyOut(const std::basic_string<Char>& text, DWORD size, Char* buffer)
{
    if (!buffer || size < text.size() + 1)
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Char));
    return static_cast<DWORD>(text.size());
}

template <class Char>
void SetFilePart(Char* buffer, DWORD result, DWORD size, Char** filePart)
{
    if (!filePart)
        return;
    *filePart = nullptr;
    if (!buffer || result == 0 || result >= size)
        return;
    Char* last = nullptr;
    for (Char* c = buffer; *c; ++c)
        if (*c == '\\')
            last = c;
    if (last && last[1])
        *filePart = last + 1;
}

std::string TempWindowsFolder()
{
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    std::string windows = win32::UnmapLinuxPath(error ? std::string("/tmp") : folder.string());
    if (windows.back() != '\\')
        windows += '\\';
    return windows;
}

} // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart)
{
    std::string full = lpFileName ? FullWindowsPath(lpFileName) : std::string();
    if (full.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    DWORD result = CopyOut(full, nBufferLength, lpBuffer);
    SetFilePart(lpBuffer, result, nBufferLength, lpFilePart);
    return result;
}

DWORD WINAPI GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart)
{
    std::string full = lpFileName ? FullWindowsPath(win32::WideToUtf8(lpFileName)) : std::string();
    if (full.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    DWORD result = CopyOut(win32::Utf8ToWide(full), nBufferLength, lpBuffer);
    SetFilePart(lpBuffer, result, nBufferLength, lpFilePart);
    return result;
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    return CopyOut(TempWindowsFolder(), nBufferLength, lpBuffer);
}

DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    return CopyOut(win32::Utf8ToWide(TempWindowsFolder()), nBufferLength, lpBuffer);
}
