// Environment variables, the current directory and the command line.
#include "ErrnoMapping.h"
#include "TextCodec.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <processenv.h>
#include <winerror.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

namespace {

// Copies a result into a caller's buffer: the length without the NUL when it
// fits, else the size needed with it.
template <class Char>
DWORD CopyOut(const std::basic_string<Char>& text, DWORD size, Char* buffer)
{
    if (!buffer || size < text.size() + 1)
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Char));
    return static_cast<DWORD>(text.size());
}

// Names with "=" cannot be set; Windows fails them the same way.
bool IsValidName(const std::string& name)
{
    return !name.empty() && name.find('=') == std::string::npos;
}

bool LookUp(const std::string& name, std::string& value)
{
    if (!IsValidName(name))
        return false;
    const char* found = std::getenv(name.c_str());
    if (!found)
        return false;
    value = found;
    return true;
}

BOOL SetVariable(const std::string& name, const char* value)
{
    if (!IsValidName(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int result = value ? setenv(name.c_str(), value, 1) : unsetenv(name.c_str());
    if (result != 0) {
        SetLastError(win32::ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

std::string CurrentWindowsDirectory()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return "Z:\\";
        buffer.resize(buffer.size() * 2);
    }
    return win32::UnmapLinuxPath(buffer.data());
}

BOOL ChangeDirectory(const std::string& path)
{
    if (path.empty())
        return FALSE;
    if (chdir(path.c_str()) != 0) {
        if (errno == ENOTDIR)
            SetLastError(ERROR_DIRECTORY);
        else
            win32::SetLastErrorForPath(errno, path);
        return FALSE;
    }
    return TRUE;
}

// Quotes one argument so that the standard command-line parsing gives it
// back unchanged.
std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

// The command line as Windows shows it: the program's Windows path, then
// the arguments, quoted where they need it.
const std::string& CommandLine()
{
    static const std::string line = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> arguments;
        size_t start = 0;
        while (start < raw.size()) {
            size_t end = raw.find('\0', start);
            if (end == std::string::npos)
                end = raw.size();
            arguments.push_back(raw.substr(start, end - start));
            start = end + 1;
        }
        char self[4096];
        ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        std::string program = length > 0 ? win32::UnmapLinuxPath(std::string(self, static_cast<size_t>(length)))
                                          : (arguments.empty() ? std::string() : arguments[0]);
        std::string result = QuoteArgument(program);
        for (size_t i = 1; i < arguments.size(); ++i)
            result += " " + QuoteArgument(arguments[i]);
        return result;
    }();
    return line;
}

} // namespace

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize)
{
    std::string value;
    if (!lpName || !LookUp(lpName, value)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return CopyOut(value, nSize, lpBuffer);
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize)
{
    std::string value;
    if (!lpName || !LookUp(win32::WideToUtf8(lpName), value)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return CopyOut(win32::Utf8ToWide(value), nSize, lpBuffer);
}

BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue)
{
    return SetVariable(lpName ? lpName : "", lpValue);
}

BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue)
{
    std::string value = win32::WideToUtf8(lpValue);
    return SetVariable(win32::WideToUtf8(lpName), lpValue ? value.c_str() : nullptr);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    return CopyOut(CurrentWindowsDirectory(), nBufferLength, lpBuffer);
}

DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    return CopyOut(win32::Utf8ToWide(CurrentWindowsDirectory()), nBufferLength, lpBuffer);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName)
{
    return ChangeDirectory(win32::MapWindowsPath(lpPathName));
}

BOOL WINAPI SetCurrentDirectoryW(LPCWSTR lpPathName)
{
    return ChangeDirectory(win32::MapWindowsPath(lpPathName));
}

LPSTR WINAPI GetCommandLineA(void)
{
    return const_cast<LPSTR>(CommandLine().c_str());
}

LPWSTR WINAPI GetCommandLineW(void)
{
    static const std::wstring line = win32::Utf8ToWide(CommandLine());
    return const_cast<LPWSTR>(line.c_str());
}
