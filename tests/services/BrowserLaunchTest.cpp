#include "services/BrowserLaunch.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// How a program on the search path answers the shell.
enum class Program {
    Absent,    // Not there at all.
    Records,   // Starts, and writes its name and arguments to the record.
    NotFound,  // A script whose interpreter is missing: the start fails with "file not found".
    Refused,   // A script whose interpreter may not be run: the start is refused.
};

struct LaunchCase {
    const char* name;
    Program opener;   // The desktop's URL opener, the default handler.
    Program iexplore; // "iexplore.exe"
    Program rundll32; // "rundll32.exe"
    const char* record;
};

const char kUrl[] = "http://stats.example/client?pag=1&name=x";

// A search path of recording programs stands in for the desktop: the
// programs are real processes started by the shell, and the record shows
// which of them ran, in what order, with which arguments.
class BrowserLaunchTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char* path = std::getenv("PATH");
        m_savedPath = path ? path : "";
        setenv("PATH", m_folder.Path().c_str(), 1);
        WriteFileBytes(m_folder.File("interpreter-without-execute-bit"), "");
    }
    void TearDown() override { setenv("PATH", m_savedPath.c_str(), 1); }

    void Install(const std::string& name, Program program)
    {
        std::string script;
        switch (program) {
        case Program::Absent:
            return;
        case Program::Records:
            script = "#!/bin/sh\necho \"" + name + " $*\" >> '" + RecordPath() + "'\n";
            break;
        case Program::NotFound:
            script = "#!" + m_folder.File("missing-interpreter") + "\n";
            break;
        case Program::Refused:
            script = "#!" + m_folder.File("interpreter-without-execute-bit") + "\n";
            break;
        }
        WriteFileBytes(m_folder.File(name), script);
        chmod(m_folder.File(name).c_str(), 0755);
    }

    std::string RecordPath() const { return m_folder.File("record.txt"); }

    // The started programs run on their own: wait for the expected launch
    // to show, then a little longer for any launch that should not happen.
    std::string SettledRecord(bool launchExpected)
    {
        std::string record;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (launchExpected && record.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            record = ReadFileBytes(RecordPath());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return ReadFileBytes(RecordPath());
    }

    TempDir m_folder { "browser" };
    std::string m_savedPath;
};

TEST_F(BrowserLaunchTest, OrderOfAttemptsAndStopOnFileNotFound)
{
    const std::string url = kUrl;
    const LaunchCase cases[] = {
        { "default handler opens it: one launch", Program::Records, Program::Records, Program::Records,
          "xdg-open " },
        { "access denied: iexplore.exe opens it", Program::Refused, Program::Records, Program::Records,
          "iexplore.exe " },
        { "file not found: nothing else is tried", Program::NotFound, Program::Records, Program::Records, "" },
        { "iexplore.exe not found: rundll32.exe is not tried", Program::Refused, Program::Absent,
          Program::Records, "" },
        { "both refuse: rundll32's URL handler", Program::Absent, Program::Refused, Program::Records,
          "rundll32.exe url.dll,FileProtocolHandler " },
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : { "xdg-open", "iexplore.exe", "rundll32.exe", "record.txt" })
            std::remove(m_folder.File(name).c_str());
        Install("xdg-open", c.opener);
        Install("iexplore.exe", c.iexplore);
        Install("rundll32.exe", c.rundll32);

        OpenUrlInBrowser(L"http://stats.example/client?pag=1&name=x");

        std::string expected = *c.record ? std::string(c.record) + url + "\n" : "";
        EXPECT_EQ(SettledRecord(!expected.empty()), expected);
    }
}

TEST_F(BrowserLaunchTest, MissingUrlStartsNothing)
{
    Install("xdg-open", Program::Records);
    OpenUrlInBrowser(nullptr);
    EXPECT_EQ(SettledRecord(false), "");
}

} // namespace
