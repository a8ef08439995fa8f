// DownloadInstaller against the real tools server on 127.0.0.1, with the
// files and the log on the test's own C: drive and module folder.
#include "../platform/win32/ProxyEnvironment.h"
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include "services/InstallerDownload.h"
#include "services/PathConfig.h"

#include <layer/PathMapping.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

using kestrova::test::ProxyEnvironment;
using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::ToolsServer;

namespace {

const char kUserAgent[] = "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                          "Chrome/46.0.2490.80 Safari/537.36 Holvane";

// The Linux path of today's local log file.
std::string LogFilePath()
{
    std::string moduleDir;
    GetModuleDir(moduleDir);
    std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d_log.txt", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
    return win32::MapWindowsPath((moduleDir + "log\\" + name).c_str());
}

// The messages of the log lines written since the log had offset bytes.
std::vector<std::string> LogMessagesSince(size_t offset)
{
    std::string text = ReadFileBytes(LogFilePath());
    std::vector<std::string> messages;
    if (offset > text.size())
        return messages;
    text = text.substr(offset);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        size_t arrow = line.find(" --> ");
        messages.push_back(arrow == std::string::npos ? line : line.substr(arrow + 5));
    }
    return messages;
}

class InstallerDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("KESTROVA_TOOLS_SERVER", m_server.BaseUrl().c_str(), 1);
        m_toolsFolder = win32::MapWindowsPath("C:\\zarvel_tools");
        std::system(("rm -rf '" + m_toolsFolder + "'").c_str());
        m_logOffset = ReadFileBytes(LogFilePath()).size();
    }
    void TearDown() override { unsetenv("KESTROVA_TOOLS_SERVER"); }

    double TimedDownload(const char* name, bool& result)
    {
        auto start = std::chrono::steady_clock::now();
        result = DownloadInstaller(name);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    ProxyEnvironment m_environment;
    TempDir m_root { "packages" };
    ToolsServer m_server { m_root.Path() };
    std::string m_toolsFolder;
    size_t m_logOffset = 0;
};

TEST_F(InstallerDownloadTest, AnErrorPageIsWrittenAndTheDownloadEndsNormally)
{
    bool result = false;
    double seconds = TimedDownload("dotnetfx35.exe", result);
    EXPECT_TRUE(result);
    EXPECT_GE(seconds, 5.0) << "the pause after a normal end";

    // The missing tools folder was created and holds the server's 404 page.
    struct stat info {};
    ASSERT_EQ(stat(m_toolsFolder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    std::string body = ReadFileBytes(m_toolsFolder + "/dotnetfx35.exe");
    EXPECT_NE(body.find("<html"), std::string::npos);
    EXPECT_EQ(LogMessagesSince(m_logOffset), (std::vector<std::string> { "1", "2", "true" }));

    // The request: the URL form, the User-Agent, no extra headers of ours.
    Json::Value received = m_server.ReceivedJson();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0]["method"].asString(), "GET");
    EXPECT_EQ(received[0]["path"].asString(), "/uploads/tools/netframework/dotnetfx35.exe");
    EXPECT_EQ(received[0]["headers"]["User-Agent"].asString(), kUserAgent);
}

TEST_F(InstallerDownloadTest, AnEmptyBodyGivesAnEmptyFileOverAnOldOne)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("empty.exe"), ""));
    std::system(("mkdir -p '" + m_toolsFolder + "'").c_str());
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_toolsFolder + "/empty.exe", "old contents"));
    bool result = false;
    TimedDownload("empty.exe", result);
    EXPECT_TRUE(result);
    struct stat info {};
    ASSERT_EQ(stat((m_toolsFolder + "/empty.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(LogMessagesSince(m_logOffset), (std::vector<std::string> { "1", "2", "true" }));
}

TEST_F(InstallerDownloadTest, AnUnreachableServerFailsAtOnceWithoutThePause)
{
    std::string closed = "http://127.0.0.1:" + std::to_string(kestrova::test::UnusedLocalPort());
    setenv("KESTROVA_TOOLS_SERVER", closed.c_str(), 1);
    bool result = true;
    double seconds = TimedDownload("dotnetfx40.exe", result);
    EXPECT_FALSE(result);
    EXPECT_LT(seconds, 4.0);
    // One line: the (empty) response information; no "1".
    EXPECT_EQ(LogMessagesSince(m_logOffset), (std::vector<std::string> { "" }));
    struct stat info {};
    EXPECT_NE(stat((m_toolsFolder + "/dotnetfx40.exe").c_str(), &info), 0);
}

} // namespace
