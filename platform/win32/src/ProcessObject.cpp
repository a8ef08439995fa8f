#include "ProcessObject.h"

#include <errhandlingapi.h>
#include <minwinbase.h>
#include <winerror.h>

#include <cerrno>
#include <csignal>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace win32 {

std::shared_ptr<ProcessObject> ProcessObject::Open(pid_t pid)
{
    if (pid <= 0)
        return nullptr;
    int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidFd < 0)
        return nullptr;
    int stopFd = eventfd(0, EFD_CLOEXEC);
    if (stopFd < 0) {
        close(pidFd);
        return nullptr;
    }
    return std::shared_ptr<ProcessObject>(new ProcessObject(pid, pidFd, stopFd));
}

ProcessObject::ProcessObject(pid_t pid, int pidFd, int stopFd)
    : m_pid(pid)
    , m_pidFd(pidFd)
    , m_stopFd(stopFd)
{
    // pidfd_open gives a close-on-exec descriptor: no child inherits it.
    m_watcher = std::thread([this] { WatchForExit(); });
}

ProcessObject::~ProcessObject()
{
    // The watcher never holds a reference to the object, so the last
    // reference cannot be dropped on the watcher itself: joining is safe.
    uint64_t one = 1;
    ssize_t written = write(m_stopFd, &one, sizeof one);
    (void)written;
    m_watcher.join();
    close(m_stopFd);
    close(m_pidFd);
}

void ProcessObject::WatchForExit()
{
    pollfd entries[2] = { { m_pidFd, POLLIN, 0 }, { m_stopFd, POLLIN, 0 } };
    for (;;) {
        int ready = poll(entries, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready > 0 && (entries[0].revents & (POLLIN | POLLHUP | POLLERR)))
            SetSignalled(true);
        return;
    }
}

bool ProcessObject::HasExited() const
{
    pollfd entry { m_pidFd, POLLIN, 0 };
    return poll(&entry, 1, 0) > 0;
}

bool ProcessObject::Kill()
{
    return syscall(SYS_pidfd_send_signal, m_pidFd, SIGKILL, nullptr, 0) == 0;
}

pid_t ProcessIdOfHandle(HANDLE handle)
{
    if (IsCurrentProcessPseudoHandle(handle))
        return getpid();
    auto process = ReferenceHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return process->Pid();
}

} // namespace win32
