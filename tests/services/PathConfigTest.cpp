#include "services/PathConfig.h"

#include "ModuleFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct SplitCase {
    const char* path;
    const char* drive;
    const char* dir;
    const char* name;
    const char* ext;
};

TEST(PathConfigTest, SplitPath)
{
    const SplitCase cases[] = {
        { "C:\\Apps\\Tool\\tool.exe", "C:", "\\Apps\\Tool\\", "tool", ".exe" },
        { "C:\\tool.exe", "C:", "\\", "tool", ".exe" },
        { "C:tool.exe", "C:", "", "tool", ".exe" },
        { "/work/build/test_services", "", "/work/build/", "test_services", "" },
        { "Z:\\work/mixed\\a.b.c", "Z:", "\\work/mixed\\", "a.b", ".c" },
        { "C:\\dir.d\\name", "C:", "\\dir.d\\", "name", "" },
        { "tool", "", "", "tool", "" },
        { "", "", "", "", "" },
    };
    for (const SplitCase& c : cases) {
        std::string drive = "x", dir = "x", name = "x", ext = "x";
        EXPECT_TRUE(SplitPath(c.path, drive, dir, name, ext)) << c.path;
        EXPECT_EQ(drive, c.drive) << c.path;
        EXPECT_EQ(dir, c.dir) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(ext, c.ext) << c.path;
    }
}

// A directory that does not fit its buffer is not cut short: the split
// fails and the module directory becomes empty.
TEST(PathConfigTest, OverlongDirectoryFailsTheSplit)
{
    std::string fits = "C:\\" + std::string(253, 'd') + "\\tool.exe";  // A directory of 255 characters.
    std::string tooLong = "C:\\" + std::string(254, 'd') + "\\tool.exe"; // 256.
    std::string drive, dir, name, ext;
    EXPECT_TRUE(SplitPath(fits, drive, dir, name, ext));
    EXPECT_EQ(dir.size(), 255u);
    EXPECT_FALSE(SplitPath(tooLong, drive, dir, name, ext));
    EXPECT_EQ(drive + dir + name + ext, "");
    EXPECT_EQ(ModuleDirOf(tooLong), "");
}

struct KeyCase {
    const char* moduleDir;
    const char* key;
    const char* location; // What the output holds afterwards; it starts as "previous".
};

TEST(PathConfigTest, ConfigKeys)
{
    const KeyCase cases[] = {
        { "C:\\Apps\\Tool\\", "logIni", "C:\\Apps\\Tool\\LogIni.ini" },
        { "C:\\Apps\\Tool\\", "cleanIni", "C:\\Apps\\Tool\\CleanUp.ini" },
        { "C:\\Apps\\Tool\\", "mainhtml", ".\\tpl\\index.html" },
        { "", "mainhtml", ".\\tpl\\index.html" },
        { "", "logIni", "LogIni.ini" },
        // Keys are case-sensitive and exact.
        { "C:\\Apps\\Tool\\", "LogIni", "previous" },
        { "C:\\Apps\\Tool\\", "MAINHTML", "previous" },
        { "C:\\Apps\\Tool\\", "logIni ", "previous" },
        { "C:\\Apps\\Tool\\", "", "previous" },
    };
    for (const KeyCase& c : cases) {
        std::string path = "previous";
        GetConfigPathIn(c.moduleDir, c.key, path);
        EXPECT_EQ(path, c.location) << c.moduleDir << " " << c.key;
    }
}

TEST(PathConfigTest, DriveRootExecutable)
{
    std::string dir = ModuleDirOf("C:\\tool.exe");
    EXPECT_EQ(dir, "C:\\");
    std::string path;
    GetConfigPathIn(dir, "logIni", path);
    EXPECT_EQ(path, "C:\\LogIni.ini");
}

// The running executable's module directory is the folder the test program
// lives in, and the event file is joined to it.
TEST(PathConfigTest, ModuleDirOfThisProgram)
{
    std::string dir;
    GetModuleDir(dir);
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(dir.back() == '\\' || dir.back() == '/') << dir;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_TRUE(std::filesystem::equivalent(kestrova::test::ModuleFolder(), executable.parent_path())) << dir;

    std::string eventFile;
    GetConfigPath("logIni", eventFile);
    EXPECT_EQ(eventFile, dir + "LogIni.ini");
    std::string page = "previous";
    GetConfigPath("mainhtml", page);
    EXPECT_EQ(page, ".\\tpl\\index.html");
}

TEST(PathConfigTest, ToolsFolder)
{
    EXPECT_STREQ(kToolsFolder, "C:\\zarvel_tools");
    EXPECT_STREQ(kToolsFolderWithSlash, "C:\\zarvel_tools\\");
}

// The deployment addresses come from the environment when it names them.
TEST(PathConfigTest, ServerAddressesFromEnvironment)
{
    const char* savedServer = std::getenv("KESTROVA_TOOLS_SERVER");
    std::string keptServer = savedServer ? savedServer : "";

    setenv("KESTROVA_TOOLS_SERVER", "http://tools.example:8080/", 1);
    EXPECT_EQ(GetToolsServerBaseUrl(), L"http://tools.example:8080");
    setenv("KESTROVA_STATS_PAGE", "http://stats.example/client", 1);
    EXPECT_EQ(GetStatsPageUrl(), L"http://stats.example/client");

    // Unset or empty: the build's defaults, which are http URLs.
    unsetenv("KESTROVA_TOOLS_SERVER");
    setenv("KESTROVA_STATS_PAGE", "", 1);
    EXPECT_EQ(GetToolsServerBaseUrl().rfind(L"http://", 0), 0u);
    EXPECT_NE(GetToolsServerBaseUrl().back(), L'/');
    EXPECT_EQ(GetStatsPageUrl().rfind(L"http://", 0), 0u);

    unsetenv("KESTROVA_STATS_PAGE");
    if (savedServer)
        setenv("KESTROVA_TOOLS_SERVER", keptServer.c_str(), 1);
}

} // namespace
