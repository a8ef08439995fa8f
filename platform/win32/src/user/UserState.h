// The window manager's shared state: window classes, windows, per-thread
// message queues and the process-wide input state.
//
// One lock (UserLock) guards all of it, as a window server would. Window
// procedures are never called with the lock held: every entry point copies
// what it needs under the lock, releases it, and then calls out. Helpers named
// ...Locked expect the caller to hold the lock.
//
// Windows are named by HWND values that are never reused, looked up in a
// table: a stale or foreign HWND simply fails the lookup (and the entry point
// reports ERROR_INVALID_WINDOW_HANDLE); it is never dereferenced.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace win32::user {

struct MessageQueue;

struct WindowClass {
    std::wstring name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::wstring menuName;
    std::vector<BYTE> extra;
    int windowCount = 0;
};

struct Window {
    HWND handle = nullptr;
    DWORD threadId = 0;
    std::shared_ptr<MessageQueue> queue;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HMENU menu = nullptr;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;

    Window* parent = nullptr;                // null only for the desktop
    Window* owner = nullptr;                 // top-level windows only
    std::vector<Window*> children;           // z-order, topmost first

    RECT windowRect {};                      // in the parent's client coordinates
    RECT clientRect {};                      // in the parent's client coordinates
    RECT normalRect {};                      // the restored placement while minimised or maximised

    std::wstring text;
    std::vector<BYTE> extra;
    std::map<std::wstring, HANDLE> properties;

    // The invalid area, kept as its bounding rectangle in client coordinates.
    bool hasUpdate = false;
    RECT update {};
    bool erasePending = false;
    bool internalPaint = false;
    bool inPaint = false;

    bool destroying = false;
    bool destroyed = false;

    // Top-level windows draw into a surface the size of their window rectangle
    // (B,G,R,A bytes); child windows are composed into their top-level's one.
    std::vector<uint32_t> pixels;
    int surfaceWidth = 0;
    int surfaceHeight = 0;

    HRGN region = nullptr;
    COLORREF layeredKey = 0;
    BYTE layeredAlpha = 255;
    DWORD layeredFlags = 0;
};

struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<MessageQueue> sender; // null for a notification nobody waits for
};

struct QueuedInput {
    MSG msg {};
    int hitTest = HTCLIENT;
    wchar_t character = 0; // the character a key down translates to
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    TIMERPROC proc = nullptr;
    std::chrono::steady_clock::time_point due;
    uint64_t order = 0;
};

struct MessageQueue {
    DWORD threadId = 0;
    bool alive = true;
    std::condition_variable wake;

    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<MSG> posted;
    std::deque<QueuedInput> input;
    bool quitPosted = false;
    int quitCode = 0;

    std::vector<Timer> timers;
    uint64_t nextTimerOrder = 0;
    UINT_PTR nextThreadTimerId = 0x7fff;

    // The sends this thread is handling right now, innermost last.
    std::vector<std::shared_ptr<SentMessage>> receiving;

    DWORD messageTime = 0;
    DWORD messagePos = 0;
    BYTE keyState[256] {};
    wchar_t keyCharacter[256] {};
};

struct Monitor {
    RECT monitor;
    RECT work;
};

// The process-wide input and display state.
struct InputState {
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND foreground = nullptr;
    HWND capture = nullptr;
    POINT cursor { 0, 0 };
    HCURSOR currentCursor = nullptr;
    int cursorShowCount = 0;
    BYTE asyncKeyState[256] {};

    // Double-click detection.
    HWND lastClickWindow = nullptr;
    UINT lastClickButton = 0;
    DWORD lastClickTime = 0;
    POINT lastClickPoint {};
    bool lastClickWasDouble = false;

    // Mouse tracking (TrackMouseEvent).
    HWND trackWindow = nullptr;
    DWORD trackFlags = 0;
    DWORD hoverTime = 400;
    bool hoverPending = false;
    std::chrono::steady_clock::time_point hoverDue;
    POINT hoverOrigin {};
    HWND lastMouseWindow = nullptr;
    int lastMouseHitTest = HTNOWHERE;

    // The caret.
    HWND caretWindow = nullptr;
    int caretWidth = 0;
    int caretHeight = 0;
    POINT caretPos {};
    int caretHideCount = 1;
    UINT caretBlinkTime = 530;

    std::vector<Monitor> monitors;
};

std::mutex& UserLock();
using Guard = std::unique_lock<std::mutex>;

InputState& InputLocked();

// The calling thread's queue, created on first use.
std::shared_ptr<MessageQueue> CurrentQueueLocked();
std::shared_ptr<MessageQueue> QueueOfThreadLocked(DWORD threadId);

// Window lookups. WindowLocked sets ERROR_INVALID_WINDOW_HANDLE on failure.
Window* WindowLocked(HWND hwnd);
Window* DesktopLocked();
HWND InsertWindowLocked(std::shared_ptr<Window> window);
void RemoveWindowLocked(HWND hwnd);
std::vector<HWND> AllWindowsLocked();

// Class lookup by name or atom, preferring the instance's own classes.
std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR name, HINSTANCE instance);

// Geometry helpers.
POINT ClientOriginOnScreenLocked(const Window* window);
POINT WindowOriginOnScreenLocked(const Window* window);
Window* TopLevelLocked(Window* window);
bool IsTopLevel(const Window* window);
bool IsVisibleLocked(const Window* window);

// The current message time in milliseconds (GetTickCount's clock).
DWORD TickCount();

// Wakes a queue's thread when it waits for messages.
void WakeLocked(MessageQueue& queue);

// Calls a window procedure for a message on the calling thread; the lock must
// not be held.
LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Handles the sends waiting for the current thread; called with the lock held,
// it releases it around every window procedure call.
void ProcessSentMessagesLocked(Guard& guard, MessageQueue& queue);

// Posts a message without taking the lock.
bool PostMessageLocked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Resizes a top-level window's surface to its window rectangle.
void ResizeSurfaceLocked(Window* window);

// Destroys every window that belongs to a thread, without messages: used
// when a thread ends with windows left.
void ForgetWindowsOfThreadLocked(DWORD threadId);

// The widths of the non-client edges a style gives a window: left, top
// (caption included), right and bottom.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu);

// The window under a screen point, with its WM_NCHITTEST answer; the lock
// must not be held.
HWND HitTestScreenPoint(POINT screen, int* hitTest);

// Painting helpers.
void InvalidateLocked(Window* window, const RECT* rect, bool erase, bool children);
bool FindPaintWindowLocked(MessageQueue& queue, HWND filter, HWND* found);

} // namespace win32::user
