#include "ProcessImage.h"

#include <layer/PathMapping.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <dirent.h>
#include <unistd.h>

namespace win32 {

namespace {

std::string ProcPath(pid_t pid, const char* item)
{
    return "/proc/" + std::to_string(pid) + "/" + item;
}

std::string ReadSmallFile(const std::string& path, size_t limit)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    bytes.resize(limit);
    file.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return bytes;
}

std::string ReadLink(const std::string& path)
{
    std::string target(4096, '\0');
    ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0)
        return {};
    target.resize(static_cast<size_t>(length));
    return target;
}

std::vector<std::string> SplitNulTerminated(const std::string& bytes)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos)
            end = bytes.size();
        parts.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string BaseName(const std::string& path)
{
    auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool IsWineLoader(const std::string& name)
{
    return name.rfind("wine", 0) == 0;
}

bool IsShell(const std::string& name)
{
    return name == "sh" || name == "bash" || name == "dash" || name == "zsh" || name == "ksh" || name == "mksh"
        || name == "busybox";
}

bool IsInterpreter(const std::string& name)
{
    static const char* const interpreters[] = { "perl", "ruby", "node", "env" };
    for (const char* interpreter : interpreters)
        if (name == interpreter)
            return true;
    return IsShell(name) || name.rfind("python", 0) == 0 || IsWineLoader(name);
}

// Options after which an interpreter runs inline code rather than a file.
bool IsInlineCodeOption(const std::string& interpreter, const std::string& argument)
{
    if (IsShell(interpreter)) {
        // Shells group flags, as in "-ec".
        return argument.size() >= 2 && argument[0] == '-' && argument[1] != '-'
            && argument.find('c') != std::string::npos;
    }
    if (interpreter.rfind("python", 0) == 0)
        return argument == "-c" || argument == "-m";
    return argument == "-e" || argument == "-E" || argument == "-p";
}

// The script or program file an interpreter runs, from its command line;
// empty when it runs inline code or reads its standard input.
std::string InterpretedFile(const std::string& interpreter, const std::vector<std::string>& arguments)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (IsWineLoader(BaseName(argument)))
            continue;
        if (IsInlineCodeOption(interpreter, argument))
            return {};
        if (!argument.empty() && argument[0] == '-')
            continue;
        return argument;
    }
    return {};
}

bool IsWindowsPath(const std::string& path)
{
    return (path.size() >= 2 && path[1] == ':') || path.find('\\') != std::string::npos;
}

// Reads the launch record of the layer's shell when it belongs to pid.
bool ReadLaunchRecord(pid_t pid, pid_t& parentPid, std::string& imagePath)
{
    std::string environment = ReadSmallFile(ProcPath(pid, "environ"), 1 << 20);
    std::string key = std::string(kLaunchRecordVariable) + "=";
    for (const auto& variable : SplitNulTerminated(environment)) {
        if (variable.compare(0, key.size(), key) != 0)
            continue;
        std::string value = variable.substr(key.size());
        auto first = value.find(':');
        auto second = first == std::string::npos ? std::string::npos : value.find(':', first + 1);
        if (second == std::string::npos)
            return false;
        if (std::atol(value.substr(0, first).c_str()) != pid)
            return false;
        parentPid = static_cast<pid_t>(std::atol(value.substr(first + 1, second - first - 1).c_str()));
        imagePath = value.substr(second + 1);
        return !imagePath.empty();
    }
    return false;
}

} // namespace

bool ReadProcessEntry(pid_t pid, ProcessEntry& entry)
{
    // Pass 1: the stat line gives the state, parent and thread count. The
    // command name in parentheses may hold any character, so the fields are
    // counted from the last ")".
    std::string stat = ReadSmallFile(ProcPath(pid, "stat"), 4096);
    auto close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(stat.substr(close + 1));
    std::vector<std::string> values { std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>() };
    if (values.size() < 18 || values[0] == "Z" || values[0] == "X")
        return false;
    entry.pid = pid;
    entry.parentPid = static_cast<pid_t>(std::atol(values[1].c_str()));
    entry.threads = static_cast<DWORD>(std::atol(values[17].c_str()));
    std::string comm = stat.substr(stat.find('(') + 1, close - stat.find('(') - 1);

    // Pass 2: the launch record of our shell, when it is this process's own.
    pid_t recordedParent = 0;
    std::string launched;
    if (ReadLaunchRecord(pid, recordedParent, launched)) {
        if (recordedParent > 0)
            entry.parentPid = recordedParent;
        entry.imagePath = launched;
        entry.imageName = BaseName(launched);
        return true;
    }

    // Pass 3: the executable, or an interpreter's file.
    std::string executable = ReadLink(ProcPath(pid, "exe"));
    const char deleted[] = " (deleted)";
    if (executable.size() > sizeof deleted - 1
        && executable.compare(executable.size() - (sizeof deleted - 1), sizeof deleted - 1, deleted) == 0)
        executable.resize(executable.size() - (sizeof deleted - 1));
    if (executable.empty()) {
        // Kernel threads and processes we may not inspect have only a name.
        entry.imagePath = comm;
        entry.imageName = comm;
        return true;
    }
    entry.imagePath = executable;
    entry.imageName = BaseName(executable);
    if (IsInterpreter(entry.imageName)) {
        auto arguments = SplitNulTerminated(ReadSmallFile(ProcPath(pid, "cmdline"), 1 << 16));
        std::string file = InterpretedFile(entry.imageName, arguments);
        if (!file.empty()) {
            if (!IsWindowsPath(file) && file[0] != '/')
                file = ReadLink(ProcPath(pid, "cwd")) + "/" + file;
            entry.imagePath = file;
            entry.imageName = BaseName(file);
        }
    }
    return true;
}

std::vector<ProcessEntry> ListProcesses()
{
    std::vector<pid_t> pids;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* item = readdir(proc)) {
            char* end = nullptr;
            long pid = std::strtol(item->d_name, &end, 10);
            if (pid > 0 && end && *end == '\0')
                pids.push_back(static_cast<pid_t>(pid));
        }
        closedir(proc);
    }
    std::sort(pids.begin(), pids.end());
    std::vector<ProcessEntry> entries;
    entries.reserve(pids.size());
    for (pid_t pid : pids) {
        ProcessEntry entry;
        if (ReadProcessEntry(pid, entry))
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::string WindowsImagePath(const ProcessEntry& entry)
{
    if (IsWindowsPath(entry.imagePath) || entry.imagePath.find('/') == std::string::npos)
        return entry.imagePath;
    return UnmapLinuxPath(entry.imagePath);
}

} // namespace win32
