// ShellExecute "open": runs programs and scripts, hands Windows programs to
// Wine and everything else (documents, addresses) to the desktop's opener.
//
// The started process is detached, as a Windows program started by the shell
// is independent of its starter: a double fork leaves it to init, so no
// zombie stays behind, and it gets its own session with quiet standard
// streams. Before it runs, the process writes its launch record into its own
// environment (see ProcessImage.h), so the process list names it after the
// file that was started.
#include "CommandLineSplit.h"
#include "ProcessImage.h"
#include "ProcessObject.h"
#include "TextCodec.h"
#include "WinePrefix.h"

#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <shellapi.h>
#include <winerror.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr INT_PTR kLaunched = 42;
// ERROR_NO_ASSOCIATION: no program is registered for the file.
constexpr DWORD kNoAssociationError = 1155;

struct LaunchPlan {
    std::string program;             // Linux path handed to execve
    std::vector<std::string> argv;
    std::string workingFolder;       // empty: the caller's
    std::string launchedFile;        // the launch record's file; empty: none
    std::vector<std::string> extraEnvironment;
};

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExecutableFile(const std::string& path)
{
    return IsRegularFile(path) && access(path.c_str(), X_OK) == 0;
}

// A program on the Linux search path; empty when there is none.
std::string FindOnPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

bool IsUrl(const std::string& text)
{
    // scheme "://": a letter, then letters, digits, "+", "-" or ".". One
    // letter alone is a drive, not a scheme.
    auto colon = text.find("://");
    if (colon == std::string::npos || colon < 2)
        return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool IsOpenVerb(const std::string& verb)
{
    if (verb.empty())
        return true;
    std::string lower;
    for (char c : verb)
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return lower == "open";
}

std::string ReadHead(const std::string& path, size_t limit)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes(limit, '\0');
    ssize_t length = read(fd, bytes.data(), limit);
    close(fd);
    bytes.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return bytes;
}

// Finds the file a name means: a path is mapped as written; a bare name is
// looked for in the current folder, beside the executable and on the search
// path, as the shell looks in the current folder and the application paths.
std::string ResolveFile(const std::string& file)
{
    std::string mapped = win32::MapWindowsPath(file.c_str());
    if (!mapped.empty() && (IsRegularFile(mapped) || IsFolder(mapped)))
        return mapped;
    if (file.find_first_of("\\/:") != std::string::npos)
        return {};
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0) {
        std::string folder(exe, static_cast<size_t>(length));
        std::string besideExe = folder.substr(0, folder.find_last_of('/') + 1) + file;
        if (IsRegularFile(besideExe))
            return besideExe;
    }
    return FindOnPath(file);
}

// The plan for a file that exists, or the shell's error answer.
INT_PTR PlanForFile(const std::string& linuxPath, const std::vector<std::string>& parameters, LaunchPlan& plan)
{
    auto appendParameters = [&] { plan.argv.insert(plan.argv.end(), parameters.begin(), parameters.end()); };
    std::string head = IsRegularFile(linuxPath) ? ReadHead(linuxPath, 512) : std::string();

    if (head.compare(0, 4, "\x7f" "ELF") == 0) {
        if (access(linuxPath.c_str(), X_OK) != 0)
            return SE_ERR_ACCESSDENIED;
        plan.program = linuxPath;
        plan.argv = { linuxPath };
        appendParameters();
        plan.launchedFile = linuxPath;
        return kLaunched;
    }

    if (head.compare(0, 2, "#!") == 0) {
        // The interpreter line is read here rather than by the kernel, so a
        // script runs even without its execute bit, as on Windows. Like the
        // kernel, everything after the interpreter is one argument.
        std::string line = head.substr(2, head.find('\n') == std::string::npos ? std::string::npos : head.find('\n') - 2);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t begin = line.find_first_not_of(" \t");
        if (begin == std::string::npos)
            return SE_ERR_NOASSOC;
        size_t end = line.find_first_of(" \t", begin);
        std::string interpreter = line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        std::string argument;
        if (end != std::string::npos) {
            size_t argumentBegin = line.find_first_not_of(" \t", end);
            if (argumentBegin != std::string::npos) {
                argument = line.substr(argumentBegin);
                argument.erase(argument.find_last_not_of(" \t") + 1);
            }
        }
        if (!IsExecutableFile(interpreter))
            return SE_ERR_NOASSOC;
        plan.program = interpreter;
        plan.argv = { interpreter };
        if (!argument.empty())
            plan.argv.push_back(argument);
        plan.argv.push_back(linuxPath);
        appendParameters();
        plan.launchedFile = linuxPath;
        return kLaunched;
    }

    if (head.compare(0, 2, "MZ") == 0) {
        std::string wine = FindOnPath("wine");
        if (wine.empty())
            return SE_ERR_NOASSOC;
        plan.program = wine;
        plan.argv = { wine, linuxPath };
        appendParameters();
        plan.launchedFile = linuxPath;
        std::string prefix = win32::WinePrefixOfDriveC();
        if (!prefix.empty())
            plan.extraEnvironment.push_back("WINEPREFIX=" + prefix);
        return kLaunched;
    }

    std::string opener = FindOnPath("xdg-open");
    if (opener.empty())
        return SE_ERR_NOASSOC;
    plan.program = opener;
    plan.argv = { opener, linuxPath };
    return kLaunched;
}

// What the launching children tell the parent through the status pipe.
struct LaunchMessage {
    int kind;   // kStartedPid or kExecError
    int value;
};
constexpr int kStartedPid = 1;
constexpr int kExecError = 2;

void WriteMessage(int fd, int kind, int value)
{
    LaunchMessage message { kind, value };
    ssize_t written = write(fd, &message, sizeof message);
    (void)written;
}

// Writes the decimal digits of value at out; returns the end. Async-signal
// safe, for use between fork and exec.
char* WriteDecimal(char* out, long value)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

void MarkDescriptorsCloseOnExec()
{
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) == 0)
        return;
#endif
    for (int fd = 3; fd < 4096; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Runs the plan; returns the shell's answer. startedPid receives the pid of
// the started process when it could be learnt.
INT_PTR Launch(const LaunchPlan& plan, pid_t* startedPid)
{
    // Pass 1: everything the children need is built here, because between
    // fork and exec only async-signal-safe calls are allowed.
    std::vector<std::string> environment;
    std::string recordKey = std::string(win32::kLaunchRecordVariable) + "=";
    for (char** variable = environ; variable && *variable; ++variable) {
        std::string entry = *variable;
        if (entry.compare(0, recordKey.size(), recordKey) == 0)
            continue;
        bool overridden = false;
        for (const auto& extra : plan.extraEnvironment)
            overridden = overridden || entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
        if (!overridden)
            environment.push_back(entry);
    }
    for (const auto& extra : plan.extraEnvironment)
        environment.push_back(extra);

    std::string recordSuffix = ":" + std::to_string(getpid()) + ":" + plan.launchedFile;
    std::vector<char> record(recordKey.size() + 24 + recordSuffix.size() + 1, '\0');
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    if (!plan.launchedFile.empty())
        envp.push_back(record.data());
    envp.push_back(nullptr);

    std::vector<std::string> arguments = plan.argv;
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0)
        return SE_ERR_OOM;

    // Pass 2: the double fork.
    pid_t child = fork();
    if (child < 0) {
        close(status[0]);
        close(status[1]);
        return SE_ERR_OOM;
    }
    if (child == 0) {
        close(status[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0) {
            if (grandchild > 0)
                WriteMessage(status[1], kStartedPid, grandchild);
            _exit(grandchild > 0 ? 0 : 1);
        }

        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        for (int signal : { SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP })
            sigaction(signal, &standard, nullptr);

        if (!plan.launchedFile.empty()) {
            char* out = record.data();
            for (char c : recordKey)
                *out++ = c;
            out = WriteDecimal(out, getpid());
            for (char c : recordSuffix)
                *out++ = c;
            *out = '\0';
        }
        if (!plan.workingFolder.empty() && chdir(plan.workingFolder.c_str()) != 0) {
            WriteMessage(status[1], kExecError, errno);
            _exit(127);
        }
        int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            dup2(quiet, 0);
            dup2(quiet, 1);
            dup2(quiet, 2);
            if (quiet > 2)
                close(quiet);
        }
        MarkDescriptorsCloseOnExec();
        execve(plan.program.c_str(), argv.data(), envp.data());
        WriteMessage(status[1], kExecError, errno);
        _exit(127);
    }

    // Pass 3: reap the intermediate child and learn the outcome. The pipe
    // reaches end of file once the started program has replaced the
    // grandchild (its end is closed on exec) or the grandchild has failed.
    close(status[1]);
    int childStatus = 0;
    while (waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    INT_PTR answer = kLaunched;
    bool forked = false;
    LaunchMessage message;
    for (;;) {
        ssize_t length = read(status[0], &message, sizeof message);
        if (length < 0 && errno == EINTR)
            continue;
        if (length != static_cast<ssize_t>(sizeof message))
            break;
        if (message.kind == kStartedPid) {
            forked = true;
            if (startedPid)
                *startedPid = message.value;
        } else if (message.kind == kExecError) {
            answer = message.value == ENOENT ? SE_ERR_FNF
                : message.value == EACCES    ? SE_ERR_ACCESSDENIED
                : message.value == ENOMEM    ? SE_ERR_OOM
                                             : SE_ERR_NOASSOC;
        }
    }
    close(status[0]);
    if (!forked)
        return SE_ERR_OOM;
    return answer;
}

INT_PTR ShellExecuteUtf8(const char* verb, const char* file, const char* parameters, const char* directory,
                         pid_t* startedPid)
{
    if (!IsOpenVerb(verb ? verb : ""))
        return SE_ERR_NOASSOC;
    std::string target = file ? file : "";
    if (target.empty())
        return SE_ERR_FNF;

    LaunchPlan plan;
    if (directory && *directory) {
        plan.workingFolder = win32::MapWindowsPath(directory);
        if (plan.workingFolder.empty() || !IsFolder(plan.workingFolder))
            return SE_ERR_PNF;
    }

    if (IsUrl(target)) {
        std::string opener = FindOnPath("xdg-open");
        if (opener.empty())
            return SE_ERR_NOASSOC;
        plan.program = opener;
        plan.argv = { opener, target };
        return Launch(plan, startedPid);
    }

    std::string linuxPath = ResolveFile(target);
    if (linuxPath.empty())
        return SE_ERR_FNF;
    INT_PTR planned = PlanForFile(linuxPath, win32::SplitCommandLine(parameters ? parameters : ""), plan);
    if (planned <= 32)
        return planned;
    return Launch(plan, startedPid);
}

HINSTANCE AsInstance(INT_PTR answer)
{
    return reinterpret_cast<HINSTANCE>(answer);
}

} // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT)
{
    return AsInstance(ShellExecuteUtf8(lpOperation, lpFile, lpParameters, lpDirectory, nullptr));
}

HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                               INT)
{
    std::string verb = win32::WideToUtf8(lpOperation);
    std::string file = win32::WideToUtf8(lpFile);
    std::string parameters = win32::WideToUtf8(lpParameters);
    std::string directory = win32::WideToUtf8(lpDirectory);
    return AsInstance(ShellExecuteUtf8(verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), nullptr));
}

BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo)
{
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string verb = win32::WideToUtf8(pExecInfo->lpVerb);
    std::string file = win32::WideToUtf8(pExecInfo->lpFile);
    std::string parameters = win32::WideToUtf8(pExecInfo->lpParameters);
    std::string directory = win32::WideToUtf8(pExecInfo->lpDirectory);
    pid_t started = 0;
    INT_PTR answer = ShellExecuteUtf8(verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), &started);
    pExecInfo->hInstApp = AsInstance(answer);
    pExecInfo->hProcess = nullptr;
    if (answer <= 32) {
        SetLastError(static_cast<DWORD>(answer == SE_ERR_NOASSOC ? kNoAssociationError : answer));
        return FALSE;
    }
    // The handle is opened after the start, so a program that has already
    // ended by then (the opener of a document, say) gets none.
    if ((pExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS) && started > 0) {
        if (auto process = win32::ProcessObject::Open(started))
            pExecInfo->hProcess = win32::InsertHandle(process);
    }
    return TRUE;
}
