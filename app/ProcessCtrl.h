// The process-wide object behind installing: it supervises installer
// processes so that they run strictly one at a time.
//
// Each downloaded installer gets a task on its own detached thread. The task
// waits for the single installer turn, starts the installer from the tools
// folder through the shell, and waits until no process of the installer's
// image name runs any more. The end of an installer is learnt only from the
// process list; no process handle is held and no exit code is read.
#pragma once

#include <atomic>
#include <string>

// True while a task has started its installer and is waiting for it.
extern std::atomic<bool> InstallerBusy;

// The number of installer tasks that have ended, over the whole process;
// never reset.
extern std::atomic<int> FinishedInstallers;

class ProcessCtrl {
public:
    static ProcessCtrl& GetInstance();

    // Starts a task for an installer file name on a new detached thread,
    // which gets its own copy of the name. Returns at once.
    void StartInstallerTask(const std::string& fileName);

    // The task itself: claim the turn (polling once a second), start the
    // installer, poll once a second until its image name has gone from the
    // process list, give the turn back and count the task as finished.
    void RunInstallerTask(std::string fileName);

    // Starts tools folder + file name through the shell ("open"). The shell's
    // answer is not examined: an installer that cannot start simply never
    // shows up in the process list.
    void RunInstaller(const std::string& fileName);

    // Whether a process of this image name runs: the bare names of the
    // process list, converted to the ANSI code page, compared byte for byte
    // (letter case included). A failed snapshot answers false.
    bool IsProcessRunning(const std::string& imageName);

private:
    ProcessCtrl() = default;
};
