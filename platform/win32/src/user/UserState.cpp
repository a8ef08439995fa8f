#include "user/UserState.h"

#include <time.h>
#include <unistd.h>

#include <cassert>

namespace win32::user {

namespace {

struct WindowTable {
    std::unordered_map<UINT_PTR, std::shared_ptr<Window>> windows;
    UINT_PTR next = 0x20020;
    std::shared_ptr<Window> desktop;
};

struct QueueTable {
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

// The state outlives static destruction on purpose: threads that are still
// blocked in a send while the process exits must find their lock and queues
// intact.
WindowTable& Windows()
{
    static WindowTable* table = new WindowTable;
    return *table;
}

QueueTable& Queues()
{
    static QueueTable* table = new QueueTable;
    return *table;
}

void InitialiseMonitorsLocked(InputState& input)
{
    Monitor primary;
    primary.monitor = { 0, 0, 1920, 1080 };
    // The work area leaves room for a 40-pixel task bar at the bottom.
    primary.work = { 0, 0, 1920, 1040 };
    input.monitors.push_back(primary);
}

// Ends the calling thread's queue when the thread ends: pending sends get 0,
// and windows left behind disappear without messages, as on Windows. The
// process's main thread keeps its queue: it ends only with the process, and
// senders blocked on it stay blocked until the process is gone rather than
// running on into a half-destroyed program.
struct QueueHolder {
    std::shared_ptr<MessageQueue> queue;
    ~QueueHolder()
    {
        if (!queue || gettid() == getpid())
            return;
        Guard guard(UserLock());
        queue->alive = false;
        for (auto& sent : queue->sent) {
            sent->done = true;
            if (sent->sender)
                sent->sender->wake.notify_all();
        }
        queue->sent.clear();
        for (auto& receiving : queue->receiving) {
            if (!receiving->done && receiving->sender) {
                receiving->done = true;
                receiving->sender->wake.notify_all();
            }
        }
        ForgetWindowsOfThreadLocked(queue->threadId);
        Queues().queues.erase(queue->threadId);
    }
};

thread_local QueueHolder t_queue;

} // namespace

std::mutex& UserLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

InputState& InputLocked()
{
    static InputState* input = [] {
        auto* state = new InputState;
        InitialiseMonitorsLocked(*state);
        return state;
    }();
    return *input;
}

std::shared_ptr<MessageQueue> CurrentQueueLocked()
{
    if (!t_queue.queue) {
        auto queue = std::make_shared<MessageQueue>();
        queue->threadId = static_cast<DWORD>(gettid());
        Queues().queues[queue->threadId] = queue;
        t_queue.queue = queue;
    }
    return t_queue.queue;
}

std::shared_ptr<MessageQueue> QueueOfThreadLocked(DWORD threadId)
{
    auto& queues = Queues().queues;
    auto it = queues.find(threadId);
    return it == queues.end() ? nullptr : it->second;
}

Window* DesktopLocked()
{
    auto& table = Windows();
    if (!table.desktop) {
        auto desktop = std::make_shared<Window>();
        desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        const RECT& screen = InputLocked().monitors.front().monitor;
        desktop->windowRect = screen;
        desktop->clientRect = screen;
        desktop->handle = reinterpret_cast<HWND>(table.next);
        table.next += 4;
        table.windows[reinterpret_cast<UINT_PTR>(desktop->handle)] = desktop;
        table.desktop = desktop;
    }
    return table.desktop.get();
}

Window* WindowLocked(HWND hwnd)
{
    auto& table = Windows();
    if (!hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    DesktopLocked();
    auto it = table.windows.find(reinterpret_cast<UINT_PTR>(hwnd));
    if (it == table.windows.end() || it->second->destroyed) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

HWND InsertWindowLocked(std::shared_ptr<Window> window)
{
    auto& table = Windows();
    DesktopLocked();
    HWND hwnd = reinterpret_cast<HWND>(table.next);
    table.next += 4;
    window->handle = hwnd;
    table.windows[reinterpret_cast<UINT_PTR>(hwnd)] = std::move(window);
    return hwnd;
}

void RemoveWindowLocked(HWND hwnd)
{
    Windows().windows.erase(reinterpret_cast<UINT_PTR>(hwnd));
}

std::vector<HWND> AllWindowsLocked()
{
    std::vector<HWND> handles;
    for (auto& [value, window] : Windows().windows)
        if (!window->destroyed && window.get() != Windows().desktop.get())
            handles.push_back(window->handle);
    return handles;
}

void ForgetWindowsOfThreadLocked(DWORD threadId)
{
    auto& table = Windows();
    std::vector<std::shared_ptr<Window>> victims;
    for (auto& [value, window] : table.windows)
        if (window->threadId == threadId && window.get() != table.desktop.get())
            victims.push_back(window);
    for (auto& window : victims) {
        window->destroyed = true;
        if (window->parent) {
            auto& siblings = window->parent->children;
            std::erase(siblings, window.get());
        }
        for (Window* child : window->children)
            child->parent = nullptr;
        if (window->windowClass)
            window->windowClass->windowCount--;
        InputState& input = InputLocked();
        for (HWND* slot : { &input.focus, &input.active, &input.foreground, &input.capture, &input.trackWindow,
                            &input.caretWindow, &input.lastMouseWindow, &input.lastClickWindow })
            if (*slot == window->handle)
                *slot = nullptr;
    }
    for (auto& window : table.windows)
        if (window.second->owner && window.second->owner->destroyed)
            window.second->owner = nullptr;
    for (auto& window : victims)
        table.windows.erase(reinterpret_cast<UINT_PTR>(window->handle));
}

bool IsTopLevel(const Window* window)
{
    return window->parent && !window->parent->parent;
}

Window* TopLevelLocked(Window* window)
{
    while (window->parent && window->parent->parent)
        window = window->parent;
    return window;
}

POINT ClientOriginOnScreenLocked(const Window* window)
{
    POINT origin { window->clientRect.left, window->clientRect.top };
    for (const Window* parent = window->parent; parent && parent->parent; parent = parent->parent) {
        origin.x += parent->clientRect.left;
        origin.y += parent->clientRect.top;
    }
    return origin;
}

POINT WindowOriginOnScreenLocked(const Window* window)
{
    POINT origin { window->windowRect.left, window->windowRect.top };
    for (const Window* parent = window->parent; parent && parent->parent; parent = parent->parent) {
        origin.x += parent->clientRect.left;
        origin.y += parent->clientRect.top;
    }
    return origin;
}

bool IsVisibleLocked(const Window* window)
{
    for (; window && window->parent; window = window->parent)
        if (!(window->style & WS_VISIBLE))
            return false;
    return true;
}

DWORD TickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000ull + now.tv_nsec / 1000000);
}

void WakeLocked(MessageQueue& queue)
{
    queue.wake.notify_all();
}

void ResizeSurfaceLocked(Window* window)
{
    assert(IsTopLevel(window));
    int width = std::max<LONG>(0, window->windowRect.right - window->windowRect.left);
    int height = std::max<LONG>(0, window->windowRect.bottom - window->windowRect.top);
    if (width == window->surfaceWidth && height == window->surfaceHeight)
        return;
    // Keep the overlapping part of the old pixels: the window shows them until
    // it has repainted.
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    int keepWidth = std::min(width, window->surfaceWidth);
    int keepHeight = std::min(height, window->surfaceHeight);
    for (int y = 0; y < keepHeight; ++y)
        std::copy_n(&window->pixels[static_cast<size_t>(y) * window->surfaceWidth], keepWidth,
                    &pixels[static_cast<size_t>(y) * width]);
    window->pixels = std::move(pixels);
    window->surfaceWidth = width;
    window->surfaceHeight = height;
}

} // namespace win32::user
