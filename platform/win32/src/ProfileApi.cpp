// The profile (INI) file functions.
//
// Each call reads the file afresh (nothing is cached, so other processes'
// changes are seen at once). A change rewrites the file through a temporary
// file in the same folder and a rename, so a crash leaves either the old or
// the new file, never half of one; one lock serialises all profile calls of
// the process, so concurrent writers never lose each other's changes.
#include "ErrnoMapping.h"
#include "ProfileFile.h"
#include "TextCodec.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <winbase.h>
#include <winerror.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

std::mutex& ProfileLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

// A bare file name lives in the Windows folder, as it does on Windows. An
// empty name has no file at all.
std::string ProfilePath(const std::string& fileName)
{
    if (fileName.empty())
        return {};
    if (fileName.find_first_of("\\/:") == std::string::npos)
        return win32::MapWindowsPath(("C:\\windows\\" + fileName).c_str());
    return win32::MapWindowsPath(fileName.c_str());
}

// Reads a file's bytes; false when it does not exist or cannot be read.
bool ReadAll(const std::string& path, std::string& bytes)
{
    if (path.empty())
        return false;
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    char buffer[65536];
    for (;;) {
        ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(count));
    }
    close(descriptor);
    return true;
}

bool WriteAllAtomically(const std::string& path, const std::string& bytes)
{
    std::string temporary = path + ".XXXXXX";
    int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        win32::SetLastErrorForPath(errno, path);
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // The new file keeps the old one's permissions (or the usual ones).
    struct stat st;
    mode_t mode = 0666;
    if (stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(descriptor, mode);
    bool ok = true;
    for (size_t done = 0; done < bytes.size() && ok;) {
        ssize_t count = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        ok = count > 0;
        done += count > 0 ? static_cast<size_t>(count) : 0;
    }
    int error = errno;
    ok = ok && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temporary.c_str());
        SetLastError(win32::ErrorFromErrno(error));
    }
    return ok;
}

// Line breaks cannot be part of one INI line: written as they are, they
// would add lines or sections of the caller's choosing. They are dropped.
std::string OneLine(std::string text)
{
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            clean += c;
    return clean;
}

// What a read answers: one value, or a list of names or entries.
struct ProfileAnswer {
    bool isList = false;
    std::string value;
    std::vector<std::string> items;
};

ProfileAnswer Read(const char* section, const char* key, const char* defaultValue, const std::string& fileName)
{
    ProfileAnswer answer;
    std::string bytes;
    std::lock_guard guard(ProfileLock());
    bool exists = ReadAll(ProfilePath(fileName), bytes);
    if (!exists)
        SetLastError(ERROR_FILE_NOT_FOUND);
    win32::ProfileFile file(bytes);
    if (!section) {
        answer.isList = true;
        answer.items = file.SectionNames();
        return answer;
    }
    if (!key) {
        answer.isList = true;
        if (auto keys = file.KeyNames(section))
            answer.items = *keys;
        return answer;
    }
    if (auto value = file.Value(section, key)) {
        answer.value = *value;
        return answer;
    }
    // The default loses its trailing blanks, as on Windows.
    std::string fallback = defaultValue ? defaultValue : "";
    size_t last = fallback.find_last_not_of(' ');
    fallback.resize(last == std::string::npos ? 0 : last + 1);
    answer.value = fallback;
    return answer;
}

// Copies an answer the way GetPrivateProfileString does: a value is cut to
// size - 1 characters; a list is each item and a NUL, then one more NUL, and
// a list that does not fit is cut and answered with size - 2.
template <class Char>
DWORD CopyAnswer(const std::vector<std::basic_string<Char>>& items, bool isList, Char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (!isList) {
        const auto& value = items.front();
        size_t count = std::min<size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), count * sizeof(Char));
        buffer[count] = 0;
        return static_cast<DWORD>(count);
    }
    std::basic_string<Char> joined;
    for (const auto& item : items) {
        joined += item;
        joined += Char(0);
    }
    if (joined.size() + 1 <= size) {
        std::memcpy(buffer, joined.data(), joined.size() * sizeof(Char));
        buffer[joined.size()] = 0;
        if (joined.empty() && size >= 2)
            buffer[1] = 0;
        return static_cast<DWORD>(joined.size());
    }
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, joined.data(), (size - 2) * sizeof(Char));
    buffer[size - 2] = 0;
    buffer[size - 1] = 0;
    return size - 2;
}

DWORD CopyNarrow(const ProfileAnswer& answer, LPSTR buffer, DWORD size)
{
    return CopyAnswer(answer.isList ? answer.items : std::vector<std::string>{answer.value}, answer.isList, buffer, size);
}

DWORD CopyWide(const ProfileAnswer& answer, LPWSTR buffer, DWORD size)
{
    std::vector<std::wstring> items;
    if (answer.isList)
        for (const auto& item : answer.items)
            items.push_back(win32::Utf8ToWide(item));
    else
        items.push_back(win32::Utf8ToWide(answer.value));
    return CopyAnswer(items, answer.isList, buffer, size);
}

UINT ParseProfileInt(const std::string& text, INT fallback)
{
    if (text.empty())
        return static_cast<UINT>(fallback);
    size_t i = 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+')
        negative = text[i++] == '-';
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > 0xFFFFFFFFLL)
            value = 0xFFFFFFFFLL;
    }
    return static_cast<UINT>(negative ? -value : value);
}

// Applies a change to a file under the profile lock and writes it back.
template <class Change>
BOOL Modify(const std::string& fileName, bool createIfMissing, Change change)
{
    std::string path = ProfilePath(fileName);
    if (path.empty()) {
        SetLastError(fileName.empty() ? ERROR_FILE_NOT_FOUND : GetLastError());
        return FALSE;
    }
    std::lock_guard guard(ProfileLock());
    std::string bytes;
    bool exists = ReadAll(path, bytes);
    if (!exists && !createIfMissing)
        return TRUE;
    win32::ProfileFile file(bytes);
    change(file);
    std::string updated = file.Serialize();
    if (exists && updated == bytes)
        return TRUE;
    return WriteAllAtomically(path, updated) ? TRUE : FALSE;
}

BOOL WriteString(const char* section, const char* key, const char* value, const std::string& fileName)
{
    if (!section) {
        // All three null asks Windows to flush its cache; there is none.
        if (!key && !value)
            return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string sectionName = OneLine(section);
    if (!key)
        return Modify(fileName, false, [&](win32::ProfileFile& file) { file.DeleteSection(sectionName); });
    std::string keyName = OneLine(key);
    if (!value)
        return Modify(fileName, false, [&](win32::ProfileFile& file) { file.DeleteKey(sectionName, keyName); });
    std::string text = OneLine(value);
    return Modify(fileName, true, [&](win32::ProfileFile& file) { file.SetValue(sectionName, keyName, text); });
}

// A section block is a run of NUL-terminated lines ended by an empty one.
template <class Char>
std::vector<std::string> SplitBlock(const Char* block)
{
    std::vector<std::string> lines;
    while (block && *block) {
        std::basic_string<Char> line(block);
        block += line.size() + 1;
        if constexpr (sizeof(Char) == 1)
            lines.push_back(OneLine(line));
        else
            lines.push_back(OneLine(win32::WideToUtf8(line)));
    }
    return lines;
}

BOOL WriteSection(const char* section, const std::vector<std::string>* lines, const std::string& fileName)
{
    if (!section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string sectionName = OneLine(section);
    if (!lines)
        return Modify(fileName, false, [&](win32::ProfileFile& file) { file.DeleteSection(sectionName); });
    return Modify(fileName, true, [&](win32::ProfileFile& file) { file.ReplaceSection(sectionName, *lines); });
}

ProfileAnswer ReadSection(const char* section, const std::string& fileName)
{
    ProfileAnswer answer;
    answer.isList = true;
    std::string bytes;
    std::lock_guard guard(ProfileLock());
    if (!ReadAll(ProfilePath(fileName), bytes))
        SetLastError(ERROR_FILE_NOT_FOUND);
    if (!section)
        return answer;
    if (auto entries = win32::ProfileFile(bytes).SectionEntries(section))
        answer.items = *entries;
    return answer;
}

// Null-preserving conversion of a W argument.
struct Narrow {
    explicit Narrow(LPCWSTR text) : present(text != nullptr), value(win32::WideToUtf8(text)) { }
    const char* get() const { return present ? value.c_str() : nullptr; }
    bool present;
    std::string value;
};

} // namespace

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    if (!lpAppName || !lpKeyName)
        return static_cast<UINT>(nDefault);
    ProfileAnswer answer = Read(lpAppName, lpKeyName, "", lpFileName ? lpFileName : "");
    return ParseProfileInt(answer.value, nDefault);
}

UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    Narrow section(lpAppName), key(lpKeyName), file(lpFileName);
    return GetPrivateProfileIntA(section.get(), key.get(), nDefault, file.get());
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    return CopyNarrow(Read(lpAppName, lpKeyName, lpDefault, lpFileName ? lpFileName : ""), lpReturnedString, nSize);
}

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                      LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    Narrow section(lpAppName), key(lpKeyName), fallback(lpDefault), file(lpFileName);
    return CopyWide(Read(section.get(), key.get(), fallback.get(), file.value), lpReturnedString, nSize);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    return WriteString(lpAppName, lpKeyName, lpString, lpFileName ? lpFileName : "");
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    Narrow section(lpAppName), key(lpKeyName), value(lpString), file(lpFileName);
    return WriteString(section.get(), key.get(), value.get(), file.value);
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    return CopyNarrow(ReadSection(lpAppName, lpFileName ? lpFileName : ""), lpReturnedString, nSize);
}

DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    Narrow section(lpAppName), file(lpFileName);
    return CopyWide(ReadSection(section.get(), file.value), lpReturnedString, nSize);
}

BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName)
{
    std::vector<std::string> lines = SplitBlock(lpString);
    return WriteSection(lpAppName, lpString ? &lines : nullptr, lpFileName ? lpFileName : "");
}

BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    Narrow section(lpAppName), file(lpFileName);
    std::vector<std::string> lines = SplitBlock(lpString);
    return WriteSection(section.get(), lpString ? &lines : nullptr, file.value);
}

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName)
{
    return GetPrivateProfileStringA(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName)
{
    return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}
