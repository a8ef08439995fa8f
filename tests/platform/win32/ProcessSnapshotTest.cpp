// The process list, process handles and the parent id, with real processes
// started through the shell and directly by the test.
#include "support/TempDir.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <handleapi.h>
#include <libloaderapi.h>
#include <processthreadsapi.h>
#include <psapi.h>
#include <shellapi.h>
#include <synchapi.h>
#include <tlhelp32.h>
#include <winerror.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

std::string Unique(const std::string& stem)
{
    return stem + "-" + std::to_string(getpid()) + ".exe";
}

std::vector<PROCESSENTRY32W> Snapshot()
{
    std::vector<PROCESSENTRY32W> entries;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        entries.push_back(entry);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    CloseHandle(snapshot);
    return entries;
}

std::optional<PROCESSENTRY32W> FindByName(const std::wstring& name)
{
    for (const auto& entry : Snapshot())
        if (name == entry.szExeFile)
            return entry;
    return std::nullopt;
}

std::optional<PROCESSENTRY32W> WaitForName(const std::wstring& name)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto entry = FindByName(name))
            return entry;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string ToolsFile(const std::string& name)
{
    std::string folder = win32::DriveFolder('C') + "/zarvel_tools";
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

// Kills a process found by pid when the test ends, whatever happened.
struct KillAtEnd {
    DWORD pid = 0;
    ~KillAtEnd()
    {
        if (pid)
            kill(static_cast<pid_t>(pid), SIGKILL);
    }
};

TEST(ProcessSnapshot, ProcessStartedThroughTheShellKeepsItsFileNameAndItsStarterAsParent)
{
    // A long name, far past the kernel's 15-character command name, run by an
    // interpreter: neither "sh" nor a cut name may show.
    std::string name = Unique("NDP462-KB3151800-x86-x64-AllOS-ENU");
    ASSERT_TRUE(WriteFileBytes(ToolsFile(name), "#!/bin/sh\nsleep 3 &\nsleep 3\n"));
    std::string windowsPath = "C:\\zarvel_tools\\" + name;
    ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", windowsPath.c_str(), nullptr, nullptr, 1)), 32);

    auto entry = WaitForName(Wide(name));
    ASSERT_TRUE(entry) << "no process named " << name;
    KillAtEnd cleanup { entry->th32ProcessID };
    EXPECT_EQ(entry->th32ParentProcessID, GetCurrentProcessId()) << "the double fork must not hide the starter";
    EXPECT_GE(entry->cntThreads, 1u);

    // Its children inherited the launch record but are named by their own
    // executable, with the script as their parent.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int children = 0;
    for (const auto& other : Snapshot()) {
        if (other.th32ParentProcessID == entry->th32ProcessID) {
            ++children;
            EXPECT_EQ(std::wstring(other.szExeFile), L"sleep");
        }
    }
    EXPECT_EQ(children, 2);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry->th32ProcessID);
    ASSERT_NE(process, nullptr);
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameExW(process, nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(path), Wide(windowsPath));
    char narrow[8];
    EXPECT_EQ(GetModuleFileNameExA(process, nullptr, narrow, sizeof narrow), 7u);
    EXPECT_STREQ(narrow, "C:\\zarv");

    PROCESS_BASIC_INFORMATION information;
    ULONG length = 0;
    ASSERT_EQ(NtQueryInformationProcess(process, ProcessBasicInformation, &information, sizeof information, &length),
              STATUS_SUCCESS);
    EXPECT_EQ(length, sizeof information);
    EXPECT_EQ(sizeof information, 48u);
    EXPECT_EQ(information.UniqueProcessId, entry->th32ProcessID);
    EXPECT_EQ(information.InheritedFromUniqueProcessId, GetCurrentProcessId());
    EXPECT_EQ(NtQueryInformationProcess(process, ProcessBasicInformation, &information, 24, nullptr),
              STATUS_INFO_LENGTH_MISMATCH);

    // The handle is signalled when the process ends.
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(TerminateProcess(process, 1));
    EXPECT_EQ(WaitForSingleObject(process, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(FindByName(Wide(name)));
    CloseHandle(process);
}

TEST(ProcessSnapshot, ForeignProcessesAreNamedByExecutableOrByTheirScript)
{
    TempDir dir("foreign");
    std::string binary = Unique("copied-sleep-with-a-long-name");
    std::filesystem::copy_file("/bin/sleep", dir.File(binary));
    std::string script = Unique("script-run-by-sh");
    ASSERT_TRUE(WriteFileBytes(dir.File(script), "sleep 3\n"));

    std::string binaryPath = dir.File(binary);
    std::string scriptPath = dir.File(script);
    char* binaryArgv[] = { binaryPath.data(), const_cast<char*>("3"), nullptr };
    char* scriptArgv[] = { const_cast<char*>("/bin/sh"), const_cast<char*>("-e"), scriptPath.data(), nullptr };
    pid_t binaryPid = 0;
    pid_t scriptPid = 0;
    ASSERT_EQ(posix_spawn(&binaryPid, binaryPath.c_str(), nullptr, nullptr, binaryArgv, environ), 0);
    ASSERT_EQ(posix_spawn(&scriptPid, "/bin/sh", nullptr, nullptr, scriptArgv, environ), 0);

    auto binaryEntry = WaitForName(Wide(binary));
    auto scriptEntry = WaitForName(Wide(script));
    kill(binaryPid, SIGKILL);
    kill(scriptPid, SIGKILL);
    waitpid(binaryPid, nullptr, 0);
    waitpid(scriptPid, nullptr, 0);

    ASSERT_TRUE(binaryEntry);
    ASSERT_TRUE(scriptEntry);
    EXPECT_EQ(binaryEntry->th32ProcessID, static_cast<DWORD>(binaryPid));
    EXPECT_EQ(binaryEntry->th32ParentProcessID, GetCurrentProcessId());
    EXPECT_EQ(scriptEntry->th32ProcessID, static_cast<DWORD>(scriptPid));
    // Ended processes (zombies not yet reaped included) leave the list.
    EXPECT_FALSE(FindByName(Wide(binary)));
}

TEST(ProcessSnapshot, OwnProcessIsListedUnderItsExecutableName)
{
    char path[MAX_PATH * 4];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    // Other runs of this test program may be listed too: find our own pid.
    std::optional<PROCESSENTRY32W> entry;
    for (const auto& candidate : Snapshot())
        if (candidate.th32ProcessID == GetCurrentProcessId())
            entry = candidate;
    ASSERT_TRUE(entry);
    EXPECT_EQ(std::wstring(entry->szExeFile), Wide(name));
    EXPECT_EQ(entry->th32ParentProcessID, static_cast<DWORD>(getppid()));

    // The ANSI walk gives the same list.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 narrow;
    narrow.dwSize = sizeof narrow;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &narrow); more && !found; more = Process32Next(snapshot, &narrow))
        found = narrow.th32ProcessID == GetCurrentProcessId() && name == narrow.szExeFile;
    EXPECT_TRUE(found);
    narrow.dwSize = 8;
    EXPECT_FALSE(Process32First(snapshot, &narrow));
    CloseHandle(snapshot);
}

TEST(OpenProcess, UnknownProcessIdsFail)
{
    for (DWORD pid : { 0u, 0x7ffffff0u, 0xffffffffu }) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid), nullptr) << pid;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << pid;
    }
    PROCESS_BASIC_INFORMATION information;
    EXPECT_EQ(NtQueryInformationProcess(reinterpret_cast<HANDLE>(UINT_PTR { 0x7ff0 }), ProcessBasicInformation,
                                        &information, sizeof information, nullptr),
              STATUS_INVALID_HANDLE);
    EXPECT_EQ(NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &information, sizeof information,
                                        nullptr),
              STATUS_SUCCESS);
    EXPECT_EQ(information.UniqueProcessId, GetCurrentProcessId());
}

} // namespace
