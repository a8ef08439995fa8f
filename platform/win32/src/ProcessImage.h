// What the layer knows of a running process from /proc: its parent, its
// thread count and its image, named as Windows would name it.
//
// Image name rule. A process the layer's shell started carries a launch
// record in its environment, KESTROVA_IMAGE=<pid>:<parent pid>:<file>, set
// by the started process itself so that the pid is its own. When the pid
// matches, the started file is the image, even when an interpreter or Wine
// runs it; a descendant that merely inherited the record has another pid and
// is named by the other rules. Any other process is its executable, except
// for interpreters (shells, Python, Perl, Wine...), which are named after the
// script or program file on their command line.
#pragma once

#include <winnt.h>

#include <string>
#include <vector>

#include <sys/types.h>

namespace win32 {

inline constexpr char kLaunchRecordVariable[] = "KESTROVA_IMAGE";

struct ProcessEntry {
    pid_t pid = 0;
    pid_t parentPid = 0;
    DWORD threads = 0;
    // The image file: a Linux path, or a Windows path when Wine was given one.
    std::string imagePath;
    // The image's bare file name.
    std::string imageName;
};

// Reads one process; false when it has gone or already ended (a zombie).
bool ReadProcessEntry(pid_t pid, ProcessEntry& entry);

// Every running process, in ascending pid order.
std::vector<ProcessEntry> ListProcesses();

// The image path in Windows form (C:\..., or Z:\... outside the drives).
std::string WindowsImagePath(const ProcessEntry& entry);

} // namespace win32
