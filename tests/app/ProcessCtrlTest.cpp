// Installer supervision with real processes: small shell scripts named like
// installers in the C: drive's tools folder, started through the shell, and
// copies of sleep started directly by the test as foreign processes.
//
// Image names carry this test's pid, so that concurrent test runs on the
// same machine never see each other's installers.
#include "app/ProcessCtrl.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;
using Clock = std::chrono::steady_clock;

std::string Unique(const std::string& stem, const std::string& extension = ".exe")
{
    return stem + "-" + std::to_string(getpid()) + extension;
}

std::string ToolsFolder()
{
    std::string folder = std::string(std::getenv("KESTROVA_DRIVE_C")) + "/zarvel_tools";
    std::filesystem::create_directories(folder);
    return folder;
}

void WriteInstaller(const std::string& name, const std::string& body)
{
    ASSERT_TRUE(WriteFileBytes(ToolsFolder() + "/" + name, "#!/bin/sh\n" + body));
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// A process started by the test itself, not through the shell: a copy of
// sleep under the given file name.
class ForeignProcess {
public:
    ForeignProcess(const TempDir& dir, const std::string& imageName, const char* seconds)
    {
        std::string path = dir.File(imageName);
        std::filesystem::copy_file("/bin/sleep", path, std::filesystem::copy_options::overwrite_existing);
        char* argv[] = { path.data(), const_cast<char*>(seconds), nullptr };
        if (posix_spawn(&m_pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
            m_pid = 0;
    }
    ~ForeignProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = 0;
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(ProcessCtrl, GetInstanceIsOneObject)
{
    EXPECT_EQ(&ProcessCtrl::GetInstance(), &ProcessCtrl::GetInstance());
}

TEST(ProcessCtrl, TwoTasksRunTheirInstallersStrictlyOneAfterTheOther)
{
    TempDir markers("markers");
    std::string first = Unique("dotnetfx3");
    std::string second = Unique("dotnetfx35");
    WriteInstaller(first, "touch '" + markers.File("first.start") + "'\nsleep 1.5\ntouch '" + markers.File("first.end")
                       + "'\n");
    WriteInstaller(second, "if [ -e '" + markers.File("first.end") + "' ]; then echo after; else echo early; fi > '"
                       + markers.File("second.result") + "'\n");

    int finishedBefore = FinishedInstallers.load();
    auto& control = ProcessCtrl::GetInstance();
    control.StartInstallerTask(first);
    // The second task starts once the first has its turn, as the install
    // run starts it after the next download.
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(markers.File("first.start")); }, std::chrono::seconds(10)));
    control.StartInstallerTask(second);

    ASSERT_TRUE(WaitFor([&] { return FinishedInstallers.load() == finishedBefore + 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(ReadFileBytes(markers.File("second.result")), "after\n");
    EXPECT_FALSE(InstallerBusy.load());
}

TEST(ProcessCtrl, ChildWithAnotherNameDoesNotHoldTheWait)
{
    TempDir dir("child");
    std::string helper = Unique("helper", "");
    std::filesystem::copy_file("/bin/sleep", dir.File(helper));
    std::string installer = Unique("NDP452-KB2901907-x86-x64-AllOS-ENU");
    WriteInstaller(installer, "'" + dir.File(helper) + "' 4 &\nexit 0\n");

    auto& control = ProcessCtrl::GetInstance();
    auto start = Clock::now();
    control.RunInstallerTask(installer);
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_TRUE(control.IsProcessRunning(helper)) << "the child should outlive the installer";
}

TEST(ProcessCtrl, ForeignProcessOfTheSameNameHoldsTheWait)
{
    TempDir dir("foreign");
    std::string name = Unique("dotNetFx40_Full_x86_x64");
    ForeignProcess foreign(dir, name, "2");
    ASSERT_GT(foreign.Pid(), 0);
    auto& control = ProcessCtrl::GetInstance();
    ASSERT_TRUE(WaitFor([&] { return control.IsProcessRunning(name); }, std::chrono::seconds(5)));

    // No installer of that name exists in the tools folder: only the
    // foreign process keeps the task waiting.
    auto start = Clock::now();
    control.RunInstallerTask(name);
    EXPECT_GE(SecondsSince(start), 1.0);
    EXPECT_FALSE(control.IsProcessRunning(name));
}

TEST(ProcessCtrl, NamesDifferingOnlyInLetterCaseDoNotMatch)
{
    TempDir dir("case");
    std::string upper = Unique("DOTNETFX35", ".EXE");
    std::string lower = Unique("dotnetfx35", ".exe");
    ForeignProcess foreign(dir, upper, "5");
    auto& control = ProcessCtrl::GetInstance();
    ASSERT_TRUE(WaitFor([&] { return control.IsProcessRunning(upper); }, std::chrono::seconds(5)));
    EXPECT_FALSE(control.IsProcessRunning(lower));

    auto start = Clock::now();
    control.RunInstallerTask(lower);
    EXPECT_LT(SecondsSince(start), 0.9);
}

TEST(ProcessCtrl, MissingInstallerEndsTheTaskAtOnceAndCountsIt)
{
    int finishedBefore = FinishedInstallers.load();
    auto start = Clock::now();
    ProcessCtrl::GetInstance().RunInstallerTask(Unique("missing"));
    EXPECT_LT(SecondsSince(start), 0.9);
    EXPECT_EQ(FinishedInstallers.load(), finishedBefore + 1);
    EXPECT_FALSE(InstallerBusy.load());
}

} // namespace
