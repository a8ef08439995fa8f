#include "services/EventRecord.h"

#include "services/MachineIdentity.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <unistd.h>

namespace {

struct IdentityCase {
    const char* path;
    const char* ename;
    const char* runid;
};

TEST(EventRecordTest, ParseToolIdentity)
{
    const IdentityCase cases[] = {
        // Three pieces: the first after its first "V", then the second; the third is the run.
        { "C:\\Program Files\\Zarvel\\AppV12.34.r7f3k.exe", "1234", "r7f3k" },
        { "AppV12.34.r7f3k.exe", "1234", "r7f3k" },
        { "C:\\x\\VV1.2.run.exe", "V12", "run" },
        { "C:\\x\\App12.34.r7f3k.exe", "App1234", "r7f3k" },
        { "C:\\x\\AppV.34.r7f3k.exe", "34", "r7f3k" },
        { "C:\\x\\appv1.2.r.exe", "appv12", "r" },
        // Empty pieces are skipped.
        { "C:\\x\\AppV1..2.r.exe", "12", "r" },
        // Any other count: the first piece alone.
        { "C:\\Windows\\explorer.exe", "explorer", "" },
        { "C:\\x\\ToolV1.2.exe", "ToolV1", "" },
        { "C:\\x\\a.b.c.d.exe", "a", "" },
        // No dot at all: the whole name.
        { "C:\\x\\launcher", "launcher", "" },
        { "/usr/bin/bash", "bash", "" },
        // Nothing left.
        { "C:\\x\\.exe", "", "" },
        { "C:\\x\\...exe", "", "" },
        { "C:\\x\\", "", "" },
        { "", "", "" },
    };
    for (const IdentityCase& c : cases) {
        std::string ename = "stale", runid = "stale";
        ParseToolIdentityFromPath(c.path, ename, runid);
        EXPECT_EQ(ename, c.ename) << c.path;
        EXPECT_EQ(runid, c.runid) << c.path;
    }
}

// Started from a shell or a test runner, the tool is named after its
// launcher's file name and has no run identity.
TEST(EventRecordTest, IdentityOfThisRunComesFromTheLauncher)
{
    char launcher[MAX_PATH] = {};
    GetLauncherImagePath(launcher);
    ASSERT_NE(launcher[0], '\0');
    std::string expectedName, expectedRun;
    ParseToolIdentityFromPath(launcher, expectedName, expectedRun);

    std::string ename, runid;
    ParseToolIdentity(ename, runid);
    EXPECT_EQ(ename, expectedName);
    EXPECT_EQ(runid, expectedRun);
    EXPECT_FALSE(ename.empty());
}

TEST(EventRecordTest, TimestampIsUnixTime)
{
    long long before = static_cast<long long>(std::time(nullptr));
    long long stamp = std::stoll(GetTimestampText());
    long long after = static_cast<long long>(std::time(nullptr));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST(EventRecordTest, BuildEventRecord)
{
    EventRecord record = BuildEventRecord("2", "inst", "note");
    EXPECT_EQ(record.state, "2");
    EXPECT_EQ(record.data, "inst");
    EXPECT_EQ(record.remarks, "note");
    EXPECT_EQ(record.pid, std::to_string(getpid()));
    EXPECT_EQ(record.key, "");
    EXPECT_FALSE(record.t.empty());
    std::string ename, runid;
    ParseToolIdentity(ename, runid);
    EXPECT_EQ(record.ename, ename);
    EXPECT_EQ(record.runid, runid);
    char mac[MAX_PATH] = {};
    GetMacAddress(mac);
    EXPECT_EQ(record.uid, mac);

    // Missing texts are empty ones.
    EventRecord bare = BuildEventRecord("0", nullptr, nullptr);
    EXPECT_EQ(bare.data, "");
    EXPECT_EQ(bare.remarks, "");
}

} // namespace
