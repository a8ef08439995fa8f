#include "app/ProcessCtrl.h"

#include "services/PathConfig.h"
#include "services/TextConversion.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstring>

std::atomic<bool> InstallerBusy { false };
std::atomic<int> FinishedInstallers { 0 };

namespace {

constexpr DWORD kPollMilliseconds = 1000;

DWORD WINAPI InstallerTaskThread(LPVOID parameter)
{
    std::string* fileName = static_cast<std::string*>(parameter);
    ProcessCtrl::GetInstance().RunInstallerTask(*fileName);
    delete fileName;
    return 0;
}

} // namespace

ProcessCtrl& ProcessCtrl::GetInstance()
{
    static ProcessCtrl instance;
    return instance;
}

void ProcessCtrl::StartInstallerTask(const std::string& fileName)
{
    auto* copy = new std::string(fileName);
    HANDLE thread = CreateThread(nullptr, 0, InstallerTaskThread, copy, 0, nullptr);
    if (!thread) {
        // Without a thread the task still has to end and be counted, or the
        // install run would wait for it for ever.
        delete copy;
        FinishedInstallers.fetch_add(1, std::memory_order_seq_cst);
        return;
    }
    // The task is detached: nobody waits on its handle.
    CloseHandle(thread);
}

void ProcessCtrl::RunInstallerTask(std::string fileName)
{
    // Claim the turn with one atomic test-and-set, so that at most one
    // installer has been started and not yet seen to end.
    while (InstallerBusy.exchange(true, std::memory_order_seq_cst))
        Sleep(kPollMilliseconds);

    RunInstaller(fileName);
    while (IsProcessRunning(fileName))
        Sleep(kPollMilliseconds);

    InstallerBusy.store(false, std::memory_order_seq_cst);
    FinishedInstallers.fetch_add(1, std::memory_order_seq_cst);
}

void ProcessCtrl::RunInstaller(const std::string& fileName)
{
    std::string path = std::string(kToolsFolderWithSlash) + fileName;
    ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

bool ProcessCtrl::IsProcessRunning(const std::string& imageName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE || !snapshot)
        return false;
    bool found = false;
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (std::strcmp(WideToAnsi(entry.szExeFile).c_str(), imageName.c_str()) == 0) {
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}
