#include "support/TempDir.h"

#include <layer/PathMapping.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Changes the current directory for one test.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& path) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~ScopedCurrentDirectory() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

TEST(PathMapping, MapsDrivesSeparatorsAndLetterCase)
{
    TempDir c("c"), d("d");
    ScopedEnvironment driveC("KESTROVA_DRIVE_C", c.Path());
    ScopedEnvironment driveD("KESTROVA_DRIVE_D", d.Path() + "/");
    std::filesystem::create_directories(c.File("Zarvel_Tools/Sub"));
    ASSERT_TRUE(WriteFileBytes(c.File("Zarvel_Tools/Sub/Setup.EXE"), "x"));

    struct Case {
        const char* windows;
        std::string linux;
    } cases[] = {
        {"C:\\zarvel_tools\\sub\\setup.exe", c.File("Zarvel_Tools/Sub/Setup.EXE")},
        {"c:/ZARVEL_TOOLS/SUB/SETUP.exe", c.File("Zarvel_Tools/Sub/Setup.EXE")},
        {"C:\\zarvel_tools\\new folder\\a.txt", c.File("Zarvel_Tools/new folder/a.txt")},
        {"C:\\zarvel_tools\\.\\x\\..\\sub\\", c.File("Zarvel_Tools/Sub")},
        {"C:\\..\\..\\escape.txt", c.File("escape.txt")},
        {"C:\\", c.Path()},
        {"C:", c.Path()},
        {"\\\\?\\C:\\zarvel_tools", c.File("Zarvel_Tools")},
        {"D:\\data\\file.ini", d.File("data/file.ini")},
        {"Z:\\etc\\hostname", "/etc/hostname"},
        {"z:/", "/"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(win32::MapWindowsPath(test.windows), test.linux) << test.windows;
    EXPECT_EQ(win32::MapWindowsPath(L"C:\\ZARVEL_tools"), c.File("Zarvel_Tools"));
}

TEST(PathMapping, FailsForUnmappedDrivesEmptyAndNetworkPaths)
{
    unsetenv("KESTROVA_DRIVE_Q");
    struct Case {
        const char* windows;
        DWORD error;
    } cases[] = {
        {"Q:\\file.txt", ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
        {"\\\\server\\share\\file", ERROR_BAD_PATHNAME},
    };
    for (const Case& test : cases) {
        SetLastError(0);
        EXPECT_EQ(win32::MapWindowsPath(test.windows), "") << test.windows;
        EXPECT_EQ(GetLastError(), test.error) << test.windows;
    }
    SetLastError(0);
    EXPECT_EQ(win32::MapWindowsPath(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(PathMapping, RelativePathsStayRelativeAndRootedPathsUseTheCurrentDrive)
{
    TempDir c("c"), work("work");
    ScopedEnvironment driveC("KESTROVA_DRIVE_C", c.Path());
    std::filesystem::create_directories(work.File("TPL"));
    ASSERT_TRUE(WriteFileBytes(work.File("TPL/Index.html"), "<p>"));
    std::filesystem::create_directories(c.File("apps/tool"));
    {
        ScopedCurrentDirectory cd(work.Path());
        EXPECT_EQ(win32::MapWindowsPath(".\\tpl\\index.html"), "TPL/Index.html");
        EXPECT_EQ(win32::MapWindowsPath("tpl/missing.html"), "TPL/missing.html");
        EXPECT_EQ(win32::MapWindowsPath("..\\x"), "../x");
        // The work folder is outside every drive folder, so it is on Z:.
        EXPECT_EQ(win32::MapWindowsPath("\\etc"), "/etc");
    }
    {
        ScopedCurrentDirectory cd(c.File("apps/tool"));
        EXPECT_EQ(win32::MapWindowsPath("\\zarvel_tools"), c.File("zarvel_tools"));
    }
}

TEST(PathMapping, UnmapsIntoDrivesOrZ)
{
    TempDir c("c"), d("d");
    ScopedEnvironment driveC("KESTROVA_DRIVE_C", c.Path());
    ScopedEnvironment driveD("KESTROVA_DRIVE_D", d.Path());
    struct Case {
        std::string linux;
        std::string windows;
    } cases[] = {
        {c.File("Apps/Tool/tool.exe"), "C:\\Apps\\Tool\\tool.exe"},
        {c.Path(), "C:\\"},
        {c.Path() + "/", "C:\\"},
        {d.File("x/../y"), "D:\\y"},
        {"/usr/bin/env", "Z:\\usr\\bin\\env"},
        {"/", "Z:\\"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(win32::UnmapLinuxPath(test.linux), test.windows) << test.linux;
    // A path beside the drive folder whose name merely starts the same is
    // not on the drive.
    std::string beside = win32::UnmapLinuxPath(c.Path() + "x/file");
    EXPECT_EQ(beside.substr(0, 3), "Z:\\") << beside;
}

TEST(PathMapping, DriveCFallsBackToTheWinePrefixThenTheDataHome)
{
    TempDir prefix("prefix"), data("data"), home("home");
    ScopedEnvironment noOverride("KESTROVA_DRIVE_C", "");
    ScopedEnvironment homeVariable("HOME", home.Path());
    ScopedEnvironment dataHome("XDG_DATA_HOME", data.Path());
    {
        ScopedEnvironment winePrefix("WINEPREFIX", prefix.Path());
        std::filesystem::create_directories(prefix.File("drive_c"));
        EXPECT_EQ(win32::MapWindowsPath("C:\\a.txt"), prefix.File("drive_c/a.txt"));
    }
    {
        ScopedEnvironment winePrefix("WINEPREFIX", home.File("missing-prefix"));
        EXPECT_EQ(win32::MapWindowsPath("C:\\a.txt"), data.File("kestrova/drive_c/a.txt"));
        EXPECT_TRUE(std::filesystem::is_directory(data.File("kestrova/drive_c")));
    }
}

} // namespace
