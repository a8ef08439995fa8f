#include "support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// Every test works on a fresh C: drive of its own.
class FileApi : public testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("KESTROVA_DRIVE_C");
        m_oldDrive = old ? old : "";
        m_oldDirectory = std::filesystem::current_path();
        setenv("KESTROVA_DRIVE_C", m_drive.Path().c_str(), 1);
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_oldDirectory);
        setenv("KESTROVA_DRIVE_C", m_oldDrive.c_str(), 1);
    }
    std::string Linux(const std::string& relative) const { return m_drive.File(relative); }

    TempDir m_drive{"files"};
    std::string m_oldDrive;
    std::filesystem::path m_oldDirectory;
};

TEST_F(FileApi, WritesReadsSeeksAndTruncates)
{
    HANDLE file = CreateFileA("C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "hello world", 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    EXPECT_EQ(GetFileSize(file, nullptr), 11u);

    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "world");
    // At the end a read succeeds with zero bytes.
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);

    LARGE_INTEGER distance, position;
    distance.QuadPart = -6;
    ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_END));
    EXPECT_EQ(position.QuadPart, 5);
    ASSERT_TRUE(SetEndOfFile(file));
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 5);
    EXPECT_TRUE(FlushFileBuffers(file));

    // A seek before the start fails and leaves the position alone.
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 131u);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadFileBytes(Linux("data.bin")), "hello");
}

TEST_F(FileApi, CreationDispositionsAndTheirErrors)
{
    ASSERT_TRUE(WriteFileBytes(Linux("existing.txt"), "old"));
    struct Case {
        const char* path;
        DWORD disposition;
        bool opens;
        DWORD error; // The last error after the call, success or not.
        const char* contentAfter;
    } cases[] = {
        {"C:\\existing.txt", CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
        {"C:\\existing.txt", OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
        {"C:\\EXISTING.TXT", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
        {"C:\\existing.txt", TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
        {"C:\\existing.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"C:\\missing.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"C:\\missing.txt", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"C:\\no\\such\\folder.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, nullptr},
        {"C:\\no\\such\\folder.txt", CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, nullptr},
        {"C:\\fresh.txt", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"C:\\other.txt", 0, false, ERROR_INVALID_PARAMETER, nullptr},
    };
    for (const Case& test : cases) {
        SetLastError(0xDEAD);
        HANDLE file = CreateFileA(test.path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, test.disposition, 0, nullptr);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, test.opens) << test.path << " " << test.disposition;
        EXPECT_EQ(GetLastError(), test.error) << test.path << " " << test.disposition;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (test.contentAfter) {
            std::string name = test.path + 3;
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(ReadFileBytes(Linux(name)), test.contentAfter) << test.path << " " << test.disposition;
        }
    }
}

TEST_F(FileApi, AccessRightsAreEnforcedAndAppendDataAppends)
{
    ASSERT_TRUE(WriteFileBytes(Linux("log.txt"), "one\r\n"));
    HANDLE reader = CreateFileW(L"C:\\log.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);

    HANDLE appender = CreateFileA("C:\\log.txt", FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(appender, INVALID_HANDLE_VALUE);
    SetFilePointer(appender, 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(WriteFile(appender, "two\r\n", 5, &count, nullptr));
    char byte;
    EXPECT_FALSE(ReadFile(appender, &byte, 1, &count, nullptr));
    CloseHandle(appender);
    EXPECT_EQ(ReadFileBytes(Linux("log.txt")), "one\r\ntwo\r\n");

    // A folder opens only with backup semantics.
    CreateDirectoryA("C:\\folder", nullptr);
    SetLastError(0);
    EXPECT_EQ(CreateFileA("C:\\folder", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE folder = CreateFileA("C:\\folder", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr);
    EXPECT_NE(folder, INVALID_HANDLE_VALUE);
    CloseHandle(folder);

    // Closed handles are gone.
    SetLastError(0);
    EXPECT_FALSE(ReadFile(appender, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileApi, DirectoriesAttributesAndTheirErrors)
{
    EXPECT_TRUE(CreateDirectoryA("C:\\zarvel_tools", nullptr));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryA("C:\\ZARVEL_TOOLS", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(L"C:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(WriteFileBytes(Linux("zarvel_tools/setup.exe"), "MZ"));
    EXPECT_EQ(GetFileAttributesA("C:\\zarvel_tools"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(L"c:\\Zarvel_Tools\\SETUP.EXE"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA("C:\\zarvel_tools\\setup.exe", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 2u);

    struct Case {
        const char* path;
        DWORD error;
    } missing[] = {{"C:\\zarvel_tools\\nothing.exe", ERROR_FILE_NOT_FOUND}, {"C:\\nothing\\x.exe", ERROR_PATH_NOT_FOUND}};
    for (const Case& test : missing) {
        SetLastError(0);
        EXPECT_EQ(GetFileAttributesA(test.path), INVALID_FILE_ATTRIBUTES) << test.path;
        EXPECT_EQ(GetLastError(), test.error) << test.path;
        SetLastError(0);
        EXPECT_FALSE(DeleteFileA(test.path)) << test.path;
        EXPECT_EQ(GetLastError(), test.error) << test.path;
    }

    SetLastError(0);
    EXPECT_FALSE(RemoveDirectoryA("C:\\zarvel_tools"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA("C:\\zarvel_tools"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileA("C:\\zarvel_tools\\Setup.exe"));
    EXPECT_TRUE(RemoveDirectoryW(L"C:\\zarvel_tools"));
    EXPECT_EQ(GetFileAttributesA("C:\\zarvel_tools"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileApi, MoveAndCopyRespectExistingTargets)
{
    ASSERT_TRUE(WriteFileBytes(Linux("a.txt"), "A"));
    ASSERT_TRUE(WriteFileBytes(Linux("b.txt"), "B"));
    SetLastError(0);
    EXPECT_FALSE(CopyFileA("C:\\a.txt", "C:\\b.txt", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileA("C:\\a.txt", "C:\\b.txt", FALSE));
    EXPECT_EQ(ReadFileBytes(Linux("b.txt")), "A");

    ASSERT_TRUE(WriteFileBytes(Linux("b.txt"), "B"));
    SetLastError(0);
    EXPECT_FALSE(MoveFileA("C:\\a.txt", "C:\\b.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileExW(L"C:\\a.txt", L"C:\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFileBytes(Linux("b.txt")), "A");
    EXPECT_TRUE(MoveFileA("C:\\b.txt", "C:\\c.txt"));
    EXPECT_EQ(GetFileAttributesA("C:\\b.txt"), INVALID_FILE_ATTRIBUTES);
    SetLastError(0);
    EXPECT_FALSE(MoveFileA("C:\\b.txt", "C:\\d.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileApi, FindFilesMatchesWildcardsIgnoringCase)
{
    CreateDirectoryA("C:\\dir", nullptr);
    for (const char* name : {"Alpha.txt", "beta.TXT", "gamma.log", "noext"})
        ASSERT_TRUE(WriteFileBytes(Linux(std::string("dir/") + name), "x"));
    CreateDirectoryA("C:\\dir\\Sub", nullptr);

    struct Case {
        const char* pattern;
        std::set<std::string> names;
    } cases[] = {
        {"C:\\dir\\*.txt", {"Alpha.txt", "beta.TXT"}},
        {"C:\\dir\\*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.log", "noext", "Sub"}},
        {"C:\\dir\\*.*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.log", "noext", "Sub"}},
        {"C:\\dir\\?eta.*", {"beta.TXT"}},
        {"c:/DIR/ALPHA.TXT", {"Alpha.txt"}},
        {"C:\\dir\\s*", {"Sub"}},
    };
    for (const Case& test : cases) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(test.pattern, &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE) << test.pattern;
        std::set<std::string> found;
        do
            found.insert(data.cFileName);
        while (FindNextFileA(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        EXPECT_EQ(found, test.names) << test.pattern;
    }

    WIN32_FIND_DATAW wide;
    HANDLE find = FindFirstFileW(L"C:\\dir\\sub", &wide);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(wide.cFileName), L"Sub");
    EXPECT_EQ(wide.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    FindClose(find);

    struct Failure {
        const char* pattern;
        DWORD error;
    } failures[] = {{"C:\\dir\\*.exe", ERROR_FILE_NOT_FOUND}, {"C:\\nowhere\\*", ERROR_PATH_NOT_FOUND}};
    for (const Failure& test : failures) {
        WIN32_FIND_DATAA data;
        SetLastError(0);
        EXPECT_EQ(FindFirstFileA(test.pattern, &data), INVALID_HANDLE_VALUE) << test.pattern;
        EXPECT_EQ(GetLastError(), test.error) << test.pattern;
    }
    // The drive root lists no "." or "..".
    WIN32_FIND_DATAA data;
    find = FindFirstFileA("C:\\*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::set<std::string> root;
    do
        root.insert(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(root, std::set<std::string>{"dir"});
}

TEST_F(FileApi, FullPathNamesResolveDotsAgainstTheCurrentDirectory)
{
    CreateDirectoryA("C:\\work", nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA("c:\\WORK"));
    char current[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, current), 7u);
    EXPECT_STREQ(current, "C:\\work");
    EXPECT_EQ(GetCurrentDirectoryA(3, current), 8u); // Too small: the size needed, with the NUL.

    struct Case {
        const char* input;
        const char* full;
        const char* filePart;
    } cases[] = {
        {".\\tpl\\index.html", "C:\\work\\tpl\\index.html", "index.html"},
        {"..\\x\\..\\y.txt", "C:\\y.txt", "y.txt"},
        {"D:\\a/b\\", "D:\\a\\b\\", nullptr},
        {"\\root.ini", "C:\\root.ini", "root.ini"},
    };
    for (const Case& test : cases) {
        char buffer[MAX_PATH];
        char* part = nullptr;
        DWORD length = GetFullPathNameA(test.input, MAX_PATH, buffer, &part);
        EXPECT_EQ(length, std::string(test.full).size()) << test.input;
        EXPECT_STREQ(buffer, test.full) << test.input;
        EXPECT_STREQ(part, test.filePart) << test.input;
    }
    wchar_t wide[4];
    EXPECT_EQ(GetFullPathNameW(L"abc", 4, wide, nullptr), 12u); // "C:\\work\\abc" and its NUL.
    SetLastError(0);
    EXPECT_EQ(GetFullPathNameA("", MAX_PATH, current, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));

    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(length, 3u);
    EXPECT_EQ(temp[length - 1], '\\');
    EXPECT_NE(GetFileAttributesA(temp), INVALID_FILE_ATTRIBUTES);
}

} // namespace
