#include "support/TempDir.h"

#include <errhandlingapi.h>
#include <processthreadsapi.h>
#include <winerror.h>
#include <wow64apiset.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// Runs a check with the C: drive pointed at the drive_c of a fake prefix
// whose system.reg holds the given text.
template <class Check>
void WithPrefix(const std::string& systemReg, Check check)
{
    TempDir root("prefix");
    std::filesystem::create_directories(root.File("drive_c"));
    ASSERT_TRUE(WriteFileBytes(root.File("system.reg"), systemReg));
    std::string previous = std::getenv("KESTROVA_DRIVE_C");
    setenv("KESTROVA_DRIVE_C", root.File("drive_c").c_str(), 1);
    check();
    setenv("KESTROVA_DRIVE_C", previous.c_str(), 1);
}

BOOL Wow64()
{
    BOOL wow64 = 2;
    EXPECT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    return wow64;
}

TEST(IsWow64Process, FollowsTheArchitectureOfTheWinePrefix)
{
    struct Case {
        const char* systemReg;
        BOOL expected;
    };
    const Case cases[] = {
        { "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n", FALSE },
        { "WINE REGISTRY Version 2\r\n;; All keys relative to \\\\Machine\r\n\r\n#arch=win64\r\n", TRUE },
        // A prefix that does not say falls back to the host (x86_64 here).
        { "WINE REGISTRY Version 2\n", TRUE },
    };
    for (const auto& c : cases)
        WithPrefix(c.systemReg, [&] { EXPECT_EQ(Wow64(), c.expected) << c.systemReg; });
}

TEST(IsWow64Process, WithoutPrefixAnX86_64HostIs64BitWindows)
{
    // The test drive is a plain folder, not a prefix's drive_c.
    unsetenv("WINEPREFIX");
    EXPECT_EQ(Wow64(), TRUE);
}

TEST(IsWow64Process, WinePrefixVariableIsUsedWhenTheDriveIsNoPrefix)
{
    TempDir root("wineprefix");
    ASSERT_TRUE(WriteFileBytes(root.File("system.reg"), "WINE REGISTRY Version 2\n#arch=win32\n"));
    setenv("WINEPREFIX", root.Path().c_str(), 1);
    EXPECT_EQ(Wow64(), FALSE);
    unsetenv("WINEPREFIX");
}

TEST(IsWow64Process, BadArgumentsFail)
{
    EXPECT_FALSE(IsWow64Process(GetCurrentProcess(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    BOOL wow64 = FALSE;
    EXPECT_FALSE(IsWow64Process(reinterpret_cast<HANDLE>(UINT_PTR { 0x7ff0 }), &wow64));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
