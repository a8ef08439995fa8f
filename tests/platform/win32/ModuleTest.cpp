#include "support/TempDir.h"

#include <layer/ModuleExports.h>
#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <libloaderapi.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

namespace {

std::string ExecutableWindowsPath()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return win32::UnmapLinuxPath(std::string(path, static_cast<size_t>(length > 0 ? length : 0)));
}

TEST(ModuleFileName, MainModuleIsTheRunningExecutableInWindowsForm)
{
    std::string expected = ExecutableWindowsPath();
    ASSERT_GE(expected.size(), 3u);
    EXPECT_EQ(expected[1], ':');

    char narrow[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, narrow, sizeof narrow);
    EXPECT_EQ(std::string(narrow, length), expected);

    wchar_t wide[MAX_PATH * 4];
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), wide, MAX_PATH * 4), expected.size());
    EXPECT_EQ(std::wstring(wide), std::wstring(expected.begin(), expected.end()));
}

TEST(ModuleFileName, ShortBuffersTruncateTerminateAndReportInsufficientBuffer)
{
    const std::string full = ExecutableWindowsPath();
    const DWORD n = static_cast<DWORD>(full.size());
    struct Case {
        DWORD size;
        DWORD answer;
        std::string text;
        DWORD error;
    };
    const Case cases[] = {
        { n + 1, n, full, ERROR_SUCCESS },
        { n, n, full.substr(0, n - 1), ERROR_INSUFFICIENT_BUFFER },
        { 4, 4, full.substr(0, 3), ERROR_INSUFFICIENT_BUFFER },
        { 1, 1, "", ERROR_INSUFFICIENT_BUFFER },
    };
    for (const auto& c : cases) {
        char buffer[MAX_PATH * 4];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, c.size), c.answer) << c.size;
        EXPECT_EQ(std::string(buffer), c.text) << c.size;
        EXPECT_EQ(GetLastError(), c.error) << c.size;
        EXPECT_EQ(buffer[c.size], 'x') << "wrote past the buffer of " << c.size;
    }
    SetLastError(ERROR_SUCCESS);
    wchar_t none[1] = { L'x' };
    EXPECT_EQ(GetModuleFileNameW(nullptr, none, 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(none[0], L'x');
}

TEST(ModuleHandle, BuiltinModulesAnswerToTheirNamesInAnyCase)
{
    const char* names[] = { "kernel32", "KERNEL32.DLL", "Kernel32.dll", "ntdll", "NTDLL.dll", "user32",
                            "shell32.dll", "advapi32", "psapi", "C:\\Windows\\System32\\kernel32.dll" };
    HMODULE kernel32 = GetModuleHandleA("kernel32");
    ASSERT_NE(kernel32, nullptr);
    for (const char* name : names)
        EXPECT_NE(GetModuleHandleA(name), nullptr) << name;
    EXPECT_EQ(GetModuleHandleW(L"KERNEL32.DLL"), kernel32);
    EXPECT_NE(GetModuleHandleA("ntdll"), kernel32);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleHandleA("nosuchmodule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(kernel32, path, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(path), L"C:\\windows\\system32\\kernel32.dll");
}

TEST(ModuleExports, BuiltinExportsResolveAndCanBeHidden)
{
    HMODULE kernel32 = GetModuleHandleW(L"kernel32");
    HMODULE ntdll = GetModuleHandleW(L"ntdll");
    EXPECT_NE(GetProcAddress(kernel32, "IsWow64Process"), nullptr);
    EXPECT_NE(GetProcAddress(ntdll, "NtQueryInformationProcess"), nullptr);

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(kernel32, "NtQueryInformationProcess"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(7))), nullptr);

    ASSERT_TRUE(win32::SetBuiltinExportHidden("KERNEL32.DLL", "IsWow64Process", true));
    EXPECT_EQ(GetProcAddress(kernel32, "IsWow64Process"), nullptr);
    ASSERT_TRUE(win32::SetBuiltinExportHidden("kernel32", "IsWow64Process", false));
    EXPECT_NE(GetProcAddress(kernel32, "IsWow64Process"), nullptr);
    EXPECT_FALSE(win32::SetBuiltinExportHidden("kernel32", "NoSuchExport", true));
}

TEST(LoadLibrary, LoadsASharedLibraryByItsWindowsPathAndResolvesSymbols)
{
    // The C library's maths part is present on every Debian machine.
    std::string windowsPath = win32::UnmapLinuxPath("/lib/x86_64-linux-gnu/libm.so.6");
    HMODULE library = LoadLibraryA(windowsPath.c_str());
    ASSERT_NE(library, nullptr) << windowsPath;
    typedef double (*Cosine)(double);
    auto cosine = reinterpret_cast<Cosine>(reinterpret_cast<void (*)()>(GetProcAddress(library, "cos")));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(GetModuleHandleA("libm.so.6"), library);
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_FALSE(FreeLibrary(library));
}

TEST(LoadLibrary, MissingAndMalformedFilesFailWithTheirCodes)
{
    kestrova::test::TempDir dir("modules");
    ASSERT_TRUE(kestrova::test::WriteFileBytes(dir.File("notes.dll"), "not a library"));
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        { win32::UnmapLinuxPath(dir.File("absent.dll")), ERROR_MOD_NOT_FOUND },
        { win32::UnmapLinuxPath(dir.File("notes.dll")), ERROR_BAD_FORMAT },
        { "msftedit-not-here.dll", ERROR_MOD_NOT_FOUND },
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        std::wstring wide(c.path.begin(), c.path.end());
        EXPECT_EQ(LoadLibraryExW(wide.c_str(), nullptr, 0), nullptr) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    EXPECT_EQ(LoadLibraryW(L"KERNEL32.DLL"), GetModuleHandleW(L"kernel32"));
}

} // namespace
