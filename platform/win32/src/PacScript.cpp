#include "PacScript.h"

#include <duktape.h>

#include <fcntl.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace win32 {

namespace {

// The child's heap may not grow past this: a script that allocates without
// end fails instead of swapping the machine.
constexpr size_t kHeapLimit = 64 * 1024 * 1024;
// The longest answer taken back from the child.
constexpr size_t kAnswerLimit = 64 * 1024;

// ---- The child: a capped heap and the native helpers ------------------------

struct alignas(16) AllocationHeader {
    size_t size;
};

struct HeapBudget {
    size_t used = 0;
};

void* CappedAlloc(void* udata, duk_size_t size)
{
    auto* budget = static_cast<HeapBudget*>(udata);
    if (size == 0)
        return nullptr;
    if (size > kHeapLimit || budget->used + size > kHeapLimit)
        return nullptr;
    auto* header = static_cast<AllocationHeader*>(std::malloc(sizeof(AllocationHeader) + size));
    if (!header)
        return nullptr;
    header->size = size;
    budget->used += size;
    return header + 1;
}

void CappedFree(void* udata, void* pointer)
{
    if (!pointer)
        return;
    auto* budget = static_cast<HeapBudget*>(udata);
    auto* header = static_cast<AllocationHeader*>(pointer) - 1;
    budget->used -= header->size;
    std::free(header);
}

void* CappedRealloc(void* udata, void* pointer, duk_size_t size)
{
    if (!pointer)
        return CappedAlloc(udata, size);
    if (size == 0) {
        CappedFree(udata, pointer);
        return nullptr;
    }
    auto* budget = static_cast<HeapBudget*>(udata);
    auto* header = static_cast<AllocationHeader*>(pointer) - 1;
    size_t old = header->size;
    if (size > old && (size > kHeapLimit || budget->used + (size - old) > kHeapLimit))
        return nullptr;
    auto* grown = static_cast<AllocationHeader*>(std::realloc(header, sizeof(AllocationHeader) + size));
    if (!grown)
        return nullptr;
    grown->size = size;
    budget->used = budget->used - old + size;
    return grown + 1;
}

[[noreturn]] void FatalHandler(void*, const char*)
{
    _exit(3);
}

// dnsResolve(host): the first IPv4 address of the host as dotted text, or null.
duk_ret_t NativeDnsResolve(duk_context* ctx)
{
    const char* host = duk_safe_to_string(ctx, 0);
    addrinfo hints {};
    hints.ai_family = AF_INET;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || !result) {
        duk_push_null(ctx);
        return 1;
    }
    char text[INET_ADDRSTRLEN] = {};
    auto* address = reinterpret_cast<sockaddr_in*>(result->ai_addr);
    inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    freeaddrinfo(result);
    duk_push_string(ctx, text);
    return 1;
}

// myIpAddress(): the IPv4 address of the first interface that is up and not
// loopback, else the loopback address.
duk_ret_t NativeMyIpAddress(duk_context* ctx)
{
    char text[INET_ADDRSTRLEN] = "127.0.0.1";
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
            if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
                continue;
            auto* address = reinterpret_cast<sockaddr_in*>(entry->ifa_addr);
            if (ntohl(address->sin_addr.s_addr) >> 24 == 127)
                continue;
            inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
            break;
        }
        freeifaddrs(list);
    }
    duk_push_string(ctx, text);
    return 1;
}

struct CallArguments {
    const std::string* script;
    const std::string* url;
    const std::string* host;
};

// Runs inside duk_safe_call: every error the engine raises lands in the
// caller's status instead of escaping.
duk_ret_t EvaluateUnsafe(duk_context* ctx, void* udata)
{
    auto* call = static_cast<CallArguments*>(udata);
    duk_push_c_function(ctx, NativeDnsResolve, 1);
    duk_put_global_string(ctx, "dnsResolve");
    duk_push_c_function(ctx, NativeMyIpAddress, 0);
    duk_put_global_string(ctx, "myIpAddress");
    duk_eval_string_noresult(ctx, kPacHelperScript);
    duk_eval_lstring_noresult(ctx, call->script->data(), call->script->size());

    duk_get_global_string(ctx, "FindProxyForURL");
    if (!duk_is_function(ctx, -1))
        return DUK_RET_TYPE_ERROR;
    duk_push_lstring(ctx, call->url->data(), call->url->size());
    duk_push_lstring(ctx, call->host->data(), call->host->size());
    duk_call(ctx, 2);
    if (!duk_is_string(ctx, -1))
        return DUK_RET_TYPE_ERROR;
    return 1;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

[[noreturn]] void RunChild(int fd, const std::string& script, const std::string& url, const std::string& host)
{
    HeapBudget budget;
    duk_context* ctx = duk_create_heap(CappedAlloc, CappedRealloc, CappedFree, &budget, FatalHandler);
    if (!ctx)
        _exit(3);
    CallArguments call { &script, &url, &host };
    if (duk_safe_call(ctx, EvaluateUnsafe, &call, 0, 1) != DUK_EXEC_SUCCESS)
        _exit(2);
    duk_size_t length = 0;
    const char* answer = duk_get_lstring(ctx, -1, &length);
    if (length > kAnswerLimit)
        _exit(2);
    // The answer goes back behind a marker byte, so an empty answer and a
    // child that died before writing can be told apart.
    if (!WriteAll(fd, "A", 1) || !WriteAll(fd, answer, length))
        _exit(3);
    _exit(0);
}

// ---- The parent: wait for the answer or the deadline -----------------------

long long MonotonicMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

PacStatus EvaluatePacScript(const std::string& script, const std::string& url, const std::string& host,
                            unsigned timeoutMilliseconds, std::string& answer)
{
    answer.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return PacStatus::BadScript;
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return PacStatus::BadScript;
    }
    if (child == 0) {
        close(fds[0]);
        RunChild(fds[1], script, url, host);
    }
    close(fds[1]);

    // Read until the child closes its end, the answer grows too long or the
    // deadline passes.
    std::string received;
    bool timedOut = false;
    long long deadline = MonotonicMilliseconds() + timeoutMilliseconds;
    for (;;) {
        long long left = deadline - MonotonicMilliseconds();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd waitFor { fds[0], POLLIN, 0 };
        int ready = poll(&waitFor, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char chunk[4096];
        ssize_t got = read(fds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        received.append(chunk, static_cast<size_t>(got));
        if (received.size() > kAnswerLimit + 1)
            break;
    }
    close(fds[0]);
    if (timedOut)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || received.empty() || received[0] != 'A')
        return PacStatus::BadScript;
    answer = received.substr(1);
    return PacStatus::Ok;
}

} // namespace win32
