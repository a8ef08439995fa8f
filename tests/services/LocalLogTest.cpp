#include "services/LocalLog.h"

#include "ModuleFiles.h"
#include "support/TempDir.h"

#include <layer/Clock.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using kestrova::test::LogFolderPath;
using kestrova::test::ReadFileBytes;

// 2024-03-05 23:30:05 UTC and 2024-03-06 02:07:09 UTC.
constexpr int64_t kLateOnMarch5 = 1709681405;
constexpr int64_t kEarlyOnMarch6 = 1709690829;

class LocalLogTest : public testing::Test {
protected:
    void SetUp() override { kestrova::test::RemoveModuleFiles(); }
    void TearDown() override
    {
        win32::SetClockOverride(std::nullopt);
        kestrova::test::RemoveModuleFiles();
    }
};

struct LineCase {
    int64_t moment;
    const char* message;
    const char* file;
    const char* line;
};

// The file is named after the UTC date; the line's hour is the UTC hour plus
// 8, never carried into the date. The message is written as it is.
TEST_F(LocalLogTest, FileNameAndLineFormat)
{
    const LineCase cases[] = {
        { kLateOnMarch5, "download begins", "20240305_log.txt", "Time: 2024-3-5 31:30:5 --> download begins\r\n" },
        { kEarlyOnMarch6, "done", "20240306_log.txt", "Time: 2024-3-6 10:7:9 --> done\r\n" },
        { kEarlyOnMarch6, "100% of %s %d", "20240306_log.txt", "Time: 2024-3-6 10:7:9 --> 100% of %s %d\r\n" },
        { kEarlyOnMarch6, "", "20240306_log.txt", "Time: 2024-3-6 10:7:9 --> \r\n" },
        { kEarlyOnMarch6, "\xE5\xAE\x89\xE8\xA3\x85 \r\n", "20240306_log.txt",
          "Time: 2024-3-6 10:7:9 --> \xE5\xAE\x89\xE8\xA3\x85 \r\n\r\n" },
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        kestrova::test::RemoveModuleFiles();
        win32::SetClockOverride(c.moment);
        WriteLog(c.message);
        EXPECT_EQ(ReadFileBytes((LogFolderPath() / c.file).string()), c.line);
    }
}

// The first line creates the folder; later lines are appended to the day's
// file, and a new day begins a new file.
TEST_F(LocalLogTest, FolderCreatedAndLinesAppended)
{
    ASSERT_FALSE(std::filesystem::exists(LogFolderPath()));
    win32::SetClockOverride(kLateOnMarch5);
    WriteLog("one");
    ASSERT_TRUE(std::filesystem::is_directory(LogFolderPath()));
    win32::SetClockOverride(kLateOnMarch5 + 1);
    WriteLog("two");
    win32::SetClockOverride(kEarlyOnMarch6);
    WriteLog("three");

    EXPECT_EQ(ReadFileBytes((LogFolderPath() / "20240305_log.txt").string()),
              "Time: 2024-3-5 31:30:5 --> one\r\nTime: 2024-3-5 31:30:6 --> two\r\n");
    EXPECT_EQ(ReadFileBytes((LogFolderPath() / "20240306_log.txt").string()), "Time: 2024-3-6 10:7:9 --> three\r\n");
}

// A missing message is an empty one, and a folder that cannot be made
// (here a file stands in its place) loses the line quietly.
TEST_F(LocalLogTest, FailuresAreSilent)
{
    win32::SetClockOverride(kLateOnMarch5);
    WriteLog(nullptr);
    EXPECT_EQ(ReadFileBytes((LogFolderPath() / "20240305_log.txt").string()), "Time: 2024-3-5 31:30:5 --> \r\n");

    kestrova::test::RemoveModuleFiles();
    ASSERT_TRUE(kestrova::test::WriteFileBytes(LogFolderPath().string(), "not a folder"));
    WriteLog("lost");
    EXPECT_EQ(ReadFileBytes(LogFolderPath().string()), "not a folder");
}

} // namespace
