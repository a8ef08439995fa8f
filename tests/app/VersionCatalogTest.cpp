#include "app/VersionCatalog.h"

#include "support/TempDir.h"

#include <layer/ModuleExports.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// Points the C: drive at the drive_c of a fake Wine prefix of the given
// architecture for the life of the object.
class FakeWinePrefix {
public:
    explicit FakeWinePrefix(const std::string& architecture)
        : m_previous(std::getenv("KESTROVA_DRIVE_C"))
    {
        std::filesystem::create_directories(m_root.File("prefix/drive_c"));
        WriteFileBytes(m_root.File("prefix/system.reg"),
                       "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=" + architecture + "\n");
        setenv("KESTROVA_DRIVE_C", m_root.File("prefix/drive_c").c_str(), 1);
    }
    ~FakeWinePrefix() { setenv("KESTROVA_DRIVE_C", m_previous.c_str(), 1); }

private:
    TempDir m_root { "prefix" };
    std::string m_previous;
};

TEST(VersionCatalog, DisplayNamesAndPackagesOfEveryPosition)
{
    struct Case {
        int position;
        const wchar_t* display;
        const char* file;
    };
    // This host is x86_64 without a prefix: 64-bit Windows.
    const Case cases[] = {
        { 1, L".NET Framework 2.0", "NetFx20SP2_x64.exe" },
        { 2, L".NET Framework 3.0", "dotnetfx3.exe" },
        { 3, L".NET Framework 3.5", "dotnetfx35.exe" },
        { 4, L".NET Framework 4.0", "dotNetFx40_Full_x86_x64.exe" },
        { 5, L".NET Framework 4.5", "NDP452-KB2901907-x86-x64-AllOS-ENU.exe" },
        { 6, L".NET Framework 4.6", "NDP462-KB3151800-x86-x64-AllOS-ENU.exe" },
    };
    ASSERT_TRUE(IsWow64());
    for (const auto& c : cases) {
        std::wstring display;
        std::string file;
        EXPECT_TRUE(GetVersionDisplayName(c.position, display)) << c.position;
        EXPECT_TRUE(GetInstallerFileName(c.position, file)) << c.position;
        EXPECT_EQ(display, c.display);
        EXPECT_EQ(file, c.file);
    }
}

TEST(VersionCatalog, PositionsOutsideTheCatalogueAreRejected)
{
    for (int position : { -1, 0, 7, 100, -2147483647 - 1, 2147483647 }) {
        std::wstring display = L"stale";
        std::string file = "stale";
        EXPECT_FALSE(GetVersionDisplayName(position, display)) << position;
        EXPECT_FALSE(GetInstallerFileName(position, file)) << position;
        EXPECT_TRUE(display.empty());
        EXPECT_TRUE(file.empty());
    }
}

TEST(VersionCatalog, ThirtyTwoBitWindowsGetsTheX86PackageOfTwoPointZeroOnly)
{
    FakeWinePrefix prefix("win32");
    EXPECT_FALSE(IsWow64());
    std::string file;
    ASSERT_TRUE(GetInstallerFileName(1, file));
    EXPECT_EQ(file, "NetFx20SP2_x86.exe");
    for (int position = 2; position <= 6; ++position) {
        ASSERT_TRUE(GetInstallerFileName(position, file));
        EXPECT_EQ(file, InstallerFileNames[static_cast<size_t>(position - 1)]);
    }
}

TEST(VersionCatalog, ArchitectureIsTakenAnewAtEveryLookup)
{
    std::string file;
    {
        FakeWinePrefix prefix("win64");
        ASSERT_TRUE(GetInstallerFileName(1, file));
        EXPECT_EQ(file, "NetFx20SP2_x64.exe");
    }
    {
        FakeWinePrefix prefix("win32");
        ASSERT_TRUE(GetInstallerFileName(1, file));
        EXPECT_EQ(file, "NetFx20SP2_x86.exe");
    }
}

TEST(VersionCatalog, WindowsWithoutIsWow64ProcessCountsAsThirtyTwoBit)
{
    ASSERT_TRUE(win32::SetBuiltinExportHidden("kernel32", "IsWow64Process", true));
    bool wow64 = IsWow64();
    std::string file;
    bool found = GetInstallerFileName(1, file);
    win32::SetBuiltinExportHidden("kernel32", "IsWow64Process", false);
    EXPECT_FALSE(wow64);
    EXPECT_TRUE(found);
    EXPECT_EQ(file, "NetFx20SP2_x86.exe");
    EXPECT_TRUE(IsWow64());
}

} // namespace
