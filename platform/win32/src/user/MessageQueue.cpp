// Message queues: sending, posting, retrieval in the system's order (sent,
// posted, input, quit, paint, timer), dispatching and translation.
#include "user/UserState.h"

#include "KernelObject.h"

#include <cassert>

namespace win32::user {

namespace {

using Clock = std::chrono::steady_clock;

bool RangeMatches(UINT message, UINT first, UINT last)
{
    if (first == 0 && last == 0)
        return true;
    return message >= first && message <= last;
}

bool WindowMatchesLocked(HWND hwnd, HWND filter)
{
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return hwnd == nullptr;
    if (hwnd == filter)
        return true;
    Window* window = hwnd ? WindowLocked(hwnd) : nullptr;
    for (; window && window->parent; window = window->parent)
        if (window->handle == filter)
            return true;
    return false;
}

void UpdateKeyStateLocked(MessageQueue& queue, const QueuedInput& input)
{
    auto setButton = [&](int vk, bool down) {
        if (down) {
            if (!(queue.keyState[vk] & 0x80))
                queue.keyState[vk] ^= 0x01;
            queue.keyState[vk] |= 0x80;
        } else {
            queue.keyState[vk] &= ~0x80;
        }
    };
    const MSG& msg = input.msg;
    switch (msg.message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: setButton(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: setButton(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: setButton(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: setButton(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK: setButton(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: case WM_NCMBUTTONUP: setButton(VK_MBUTTON, false); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        setButton(static_cast<int>(msg.wParam & 0xff), true);
        queue.keyCharacter[msg.wParam & 0xff] = input.character;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP: setButton(static_cast<int>(msg.wParam & 0xff), false); break;
    default: break;
    }
    // The generic modifier keys follow their left and right keys.
    queue.keyState[VK_SHIFT] = (queue.keyState[VK_SHIFT] & 0x01) |
                               ((queue.keyState[VK_LSHIFT] | queue.keyState[VK_RSHIFT] | queue.keyState[VK_SHIFT]) & 0x80);
}

bool IsButtonDown(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

// The work the system does for an input message as it is removed from the
// queue: the cursor shape and click activation. Returns false when the
// window asked for the click to be eaten.
bool PrepareInputMessage(const QueuedInput& input)
{
    const MSG& msg = input.msg;
    bool mouse = (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                 (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
    if (!mouse || msg.message == WM_MOUSEWHEEL || msg.message == WM_MOUSEHWHEEL)
        return true;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    bool keep = true;
    if (IsButtonDown(msg.message) && top && top != GetActiveWindow()) {
        LRESULT answer = SendMessageW(msg.hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                      MAKELPARAM(input.hitTest, msg.message));
        if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT || answer == 0)
            SetActiveWindow(top);
        keep = answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT;
    }
    if (!GetCapture())
        SendMessageW(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(input.hitTest, msg.message));
    return keep;
}

Timer* DueTimerLocked(MessageQueue& queue, HWND filter, UINT first, UINT last, Clock::time_point now)
{
    if (!RangeMatches(WM_TIMER, first, last))
        return nullptr;
    Timer* best = nullptr;
    for (Timer& timer : queue.timers) {
        if (timer.due > now || !WindowMatchesLocked(timer.hwnd, filter))
            continue;
        if (!best || timer.due < best->due || (timer.due == best->due && timer.order < best->order))
            best = &timer;
    }
    return best;
}

void CheckHoverLocked(MessageQueue& queue, Clock::time_point now)
{
    InputState& input = InputLocked();
    if (!input.hoverPending || now < input.hoverDue)
        return;
    Window* window = WindowLocked(input.trackWindow);
    if (!window || window->queue.get() != &queue)
        return;
    input.hoverPending = false;
    input.trackFlags &= ~TME_HOVER;
    POINT point = input.cursor;
    POINT origin = ClientOriginOnScreenLocked(window);
    MSG msg {};
    msg.hwnd = window->handle;
    msg.message = WM_MOUSEHOVER;
    msg.lParam = MAKELPARAM(point.x - origin.x, point.y - origin.y);
    msg.time = TickCount();
    msg.pt = point;
    queue.posted.push_back(msg);
}

// Retrieves one message into *out, following the system's order. Called
// with the lock held; it may release it to run sends and input preparation.
bool PeekLocked(Guard& guard, MessageQueue& queue, MSG* out, HWND filter, UINT first, UINT last, UINT flags)
{
    bool remove = flags & PM_REMOVE;
    for (;;) {
        // Pass 1: sent messages are handled, never returned.
        ProcessSentMessagesLocked(guard, queue);
        Clock::time_point now = Clock::now();
        CheckHoverLocked(queue, now);

        // Pass 2: posted messages.
        for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
            if (!RangeMatches(it->message, first, last) || !WindowMatchesLocked(it->hwnd, filter))
                continue;
            *out = *it;
            if (remove)
                queue.posted.erase(it);
            queue.messageTime = out->time;
            queue.messagePos = MAKELONG(out->pt.x, out->pt.y);
            return true;
        }

        // Pass 3: input.
        bool retry = false;
        for (auto it = queue.input.begin(); it != queue.input.end(); ++it) {
            if (!RangeMatches(it->msg.message, first, last) || !WindowMatchesLocked(it->msg.hwnd, filter))
                continue;
            QueuedInput input = *it;
            *out = input.msg;
            queue.messageTime = out->time;
            queue.messagePos = MAKELONG(out->pt.x, out->pt.y);
            if (!remove)
                return true;
            queue.input.erase(it);
            UpdateKeyStateLocked(queue, input);
            guard.unlock();
            bool keep = PrepareInputMessage(input);
            guard.lock();
            if (keep)
                return true;
            retry = true;
            break;
        }
        if (retry)
            continue;

        // Pass 4: the quit request.
        if (queue.quitPosted && RangeMatches(WM_QUIT, first, last)) {
            *out = MSG {};
            out->message = WM_QUIT;
            out->wParam = static_cast<WPARAM>(queue.quitCode);
            out->time = TickCount();
            if (remove)
                queue.quitPosted = false;
            return true;
        }

        // Pass 5: paint, made on demand while a window has something invalid.
        HWND paintWindow = nullptr;
        if (RangeMatches(WM_PAINT, first, last) && FindPaintWindowLocked(queue, filter, &paintWindow)) {
            *out = MSG {};
            out->hwnd = paintWindow;
            out->message = WM_PAINT;
            out->time = TickCount();
            out->pt = InputLocked().cursor;
            return true;
        }

        // Pass 6: timers; a timer that fell behind is delivered once.
        if (Timer* timer = DueTimerLocked(queue, filter, first, last, now)) {
            *out = MSG {};
            out->hwnd = timer->hwnd;
            out->message = WM_TIMER;
            out->wParam = timer->id;
            out->lParam = reinterpret_cast<LPARAM>(timer->proc);
            out->time = TickCount();
            out->pt = InputLocked().cursor;
            if (remove)
                timer->due = now + std::chrono::milliseconds(timer->interval);
            return true;
        }
        return false;
    }
}

// The earliest moment a generated message (timer or hover) becomes due.
Clock::time_point NextDeadlineLocked(MessageQueue& queue)
{
    Clock::time_point deadline = Clock::time_point::max();
    for (const Timer& timer : queue.timers)
        deadline = std::min(deadline, timer.due);
    InputState& input = InputLocked();
    if (input.hoverPending) {
        Window* window = WindowLocked(input.trackWindow);
        if (window && window->queue.get() == &queue)
            deadline = std::min(deadline, input.hoverDue);
    }
    return deadline;
}

void WaitForWorkLocked(Guard& guard, MessageQueue& queue, Clock::time_point limit)
{
    Clock::time_point deadline = std::min(limit, NextDeadlineLocked(queue));
    if (deadline == Clock::time_point::max())
        queue.wake.wait(guard);
    else
        queue.wake.wait_until(guard, deadline);
}

bool HasWorkLocked(MessageQueue& queue, DWORD mask)
{
    if ((mask & QS_SENDMESSAGE) && !queue.sent.empty())
        return true;
    if ((mask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) && (!queue.posted.empty() || queue.quitPosted))
        return true;
    if ((mask & QS_INPUT) && !queue.input.empty())
        return true;
    HWND paint = nullptr;
    if ((mask & QS_PAINT) && FindPaintWindowLocked(queue, nullptr, &paint))
        return true;
    if (mask & QS_TIMER) {
        Clock::time_point now = Clock::now();
        for (const Timer& timer : queue.timers)
            if (timer.due <= now)
                return true;
    }
    return false;
}

} // namespace

LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = nullptr;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        if (!window)
            return 0;
        proc = window->proc;
    }
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

void ProcessSentMessagesLocked(Guard& guard, MessageQueue& queue)
{
    while (!queue.sent.empty()) {
        std::shared_ptr<SentMessage> sent = queue.sent.front();
        queue.sent.pop_front();
        queue.receiving.push_back(sent);
        guard.unlock();
        LRESULT result = CallWindowProcedure(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        guard.lock();
        assert(!queue.receiving.empty() && queue.receiving.back() == sent);
        queue.receiving.pop_back();
        if (!sent->done) {
            sent->result = result;
            sent->done = true;
            if (sent->sender)
                sent->sender->wake.notify_all();
        }
    }
}

bool PostMessageLocked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = WindowLocked(hwnd);
    if (!window)
        return false;
    MSG msg {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = TickCount();
    msg.pt = InputLocked().cursor;
    window->queue->posted.push_back(msg);
    WakeLocked(*window->queue);
    return true;
}

} // namespace win32::user

using namespace win32::user;

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT uTimeout,
                                   DWORD_PTR* lpdwResult)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    auto self = CurrentQueueLocked();
    if (window->queue == self) {
        WNDPROC proc = window->proc;
        guard.unlock();
        LRESULT result = proc ? proc(hWnd, Msg, wParam, lParam) : 0;
        if (lpdwResult)
            *lpdwResult = static_cast<DWORD_PTR>(result);
        return TRUE;
    }
    std::shared_ptr<MessageQueue> target = window->queue;
    if (!target->alive)
        return 0;
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hWnd;
    sent->message = Msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    target->sent.push_back(sent);
    WakeLocked(*target);

    // While it waits, the sender handles the sends addressed to itself, so
    // two threads sending to each other do not deadlock.
    auto limit = uTimeout == INFINITE ? Clock::time_point::max()
                                      : Clock::now() + std::chrono::milliseconds(uTimeout);
    while (!sent->done) {
        if (!self->sent.empty()) {
            ProcessSentMessagesLocked(guard, *self);
            continue;
        }
        if (limit == Clock::time_point::max()) {
            self->wake.wait(guard);
        } else if (self->wake.wait_until(guard, limit) == std::cv_status::timeout && !sent->done) {
            // The target may still run the handler later; its answer is dropped.
            sent->sender = nullptr;
            std::erase(target->sent, sent);
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
    }
    if (lpdwResult)
        *lpdwResult = static_cast<DWORD_PTR>(sent->result);
    return TRUE;
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hWnd, Msg, wParam, lParam, SMTO_NORMAL, INFINITE, &result);
    return static_cast<LRESULT>(result);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Guard guard(UserLock());
    if (!hWnd) {
        // A null window posts to the calling thread, as PostThreadMessageW.
        auto queue = CurrentQueueLocked();
        MSG msg {};
        msg.message = Msg;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.time = TickCount();
        msg.pt = InputLocked().cursor;
        queue->posted.push_back(msg);
        WakeLocked(*queue);
        return TRUE;
    }
    return PostMessageLocked(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Guard guard(UserLock());
    auto queue = QueueOfThreadLocked(idThread);
    if (!queue || !queue->alive) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    MSG msg {};
    msg.message = Msg;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = TickCount();
    msg.pt = InputLocked().cursor;
    queue->posted.push_back(msg);
    WakeLocked(*queue);
    return TRUE;
}

VOID WINAPI PostQuitMessage(int nExitCode)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    queue->quitPosted = true;
    queue->quitCode = nExitCode;
    WakeLocked(*queue);
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !WindowLocked(hWnd))
        return FALSE;
    return PeekLocked(guard, *queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg);
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !WindowLocked(hWnd))
        return -1;
    while (!PeekLocked(guard, *queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE))
        WaitForWorkLocked(guard, *queue, Clock::time_point::max());
    return lpMsg->message != WM_QUIT;
}

BOOL WINAPI WaitMessage(void)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    ProcessSentMessagesLocked(guard, *queue);
    if (!HasWorkLocked(*queue, QS_ALLINPUT))
        WaitForWorkLocked(guard, *queue, Clock::time_point::max());
    return TRUE;
}

DWORD WINAPI GetQueueStatus(UINT flags)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    DWORD status = 0;
    for (DWORD bit : { QS_KEY, QS_MOUSEMOVE, QS_MOUSEBUTTON, QS_POSTMESSAGE, QS_TIMER, QS_PAINT, QS_SENDMESSAGE }) {
        if (!(flags & bit))
            continue;
        bool present = false;
        switch (bit) {
        case QS_KEY:
            for (auto& input : queue->input)
                present |= input.msg.message >= WM_KEYFIRST && input.msg.message <= WM_KEYLAST;
            break;
        case QS_MOUSEMOVE:
            for (auto& input : queue->input)
                present |= input.msg.message == WM_MOUSEMOVE || input.msg.message == WM_NCMOUSEMOVE;
            break;
        case QS_MOUSEBUTTON:
            for (auto& input : queue->input)
                present |= IsButtonDown(input.msg.message) || input.msg.message == WM_LBUTTONUP ||
                           input.msg.message == WM_RBUTTONUP || input.msg.message == WM_MBUTTONUP;
            break;
        default: present = HasWorkLocked(*queue, bit); break;
        }
        if (present)
            status |= bit;
    }
    return status | (status << 16);
}

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds,
                                         DWORD dwWakeMask, DWORD dwFlags)
{
    bool waitAll = dwFlags & MWMO_WAITALL;
    auto limit = dwMilliseconds == INFINITE ? Clock::time_point::max()
                                            : Clock::now() + std::chrono::milliseconds(dwMilliseconds);
    std::vector<std::shared_ptr<win32::KernelObject>> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        auto object = win32::ReferenceHandle(pHandles[i]);
        if (!object)
            return WAIT_FAILED;
        objects.push_back(std::move(object));
    }
    for (;;) {
        {
            Guard guard(UserLock());
            auto queue = CurrentQueueLocked();
            ProcessSentMessagesLocked(guard, *queue);
            if (HasWorkLocked(*queue, dwWakeMask & ~QS_SENDMESSAGE))
                return WAIT_OBJECT_0 + nCount;
        }
        // Kernel objects are polled between short waits on the queue: they
        // have no way to wake a message queue.
        if (waitAll) {
            bool all = !objects.empty();
            for (auto& object : objects)
                all = all && object->Wait(0) == WAIT_OBJECT_0;
            if (all)
                return WAIT_OBJECT_0;
        } else {
            for (DWORD i = 0; i < nCount; ++i)
                if (objects[i]->Wait(0) == WAIT_OBJECT_0)
                    return WAIT_OBJECT_0 + i;
        }
        Clock::time_point now = Clock::now();
        if (now >= limit)
            return WAIT_TIMEOUT;
        Guard guard(UserLock());
        auto queue = CurrentQueueLocked();
        auto slice = std::min(limit, now + std::chrono::milliseconds(objects.empty() ? 1000 : 2));
        WaitForWorkLocked(guard, *queue, slice);
    }
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask)
{
    return MsgWaitForMultipleObjectsEx(nCount, pHandles, dwMilliseconds, dwWakeMask, fWaitAll ? MWMO_WAITALL : 0);
}

BOOL WINAPI InSendMessage(void)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    return !queue->receiving.empty() && queue->receiving.back()->sender != nullptr;
}

DWORD WINAPI InSendMessageEx(LPVOID)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    if (queue->receiving.empty())
        return ISMEX_NOSEND;
    return ISMEX_SEND | (queue->receiving.back()->done ? ISMEX_REPLIED : 0);
}

BOOL WINAPI ReplyMessage(LRESULT lResult)
{
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    if (queue->receiving.empty() || queue->receiving.back()->done)
        return FALSE;
    auto& sent = queue->receiving.back();
    sent->result = lResult;
    sent->done = true;
    if (sent->sender)
        sent->sender->wake.notify_all();
    return TRUE;
}

LONG WINAPI GetMessageTime(void)
{
    Guard guard(UserLock());
    return static_cast<LONG>(CurrentQueueLocked()->messageTime);
}

DWORD WINAPI GetMessagePos(void)
{
    Guard guard(UserLock());
    return CurrentQueueLocked()->messagePos;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg)
{
    if (!lpMsg)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        // Only a procedure of a live timer is called: lParam could be anything.
        TIMERPROC proc = nullptr;
        {
            Guard guard(UserLock());
            auto queue = CurrentQueueLocked();
            for (const Timer& timer : queue->timers)
                if (timer.hwnd == lpMsg->hwnd && timer.id == lpMsg->wParam &&
                    reinterpret_cast<LPARAM>(timer.proc) == lpMsg->lParam)
                    proc = timer.proc;
        }
        if (proc)
            proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, TickCount());
        return 0;
    }
    if (!lpMsg->hwnd)
        return 0;
    return CallWindowProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg)
{
    if (!lpMsg)
        return FALSE;
    UINT message = lpMsg->message;
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)
        return message == WM_KEYUP || message == WM_SYSKEYUP;
    Guard guard(UserLock());
    auto queue = CurrentQueueLocked();
    wchar_t character = queue->keyCharacter[lpMsg->wParam & 0xff];
    if (character) {
        MSG msg = *lpMsg;
        msg.message = message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        msg.wParam = static_cast<WPARAM>(character);
        // The character comes before anything posted after the key.
        queue->posted.push_front(msg);
    }
    return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    Guard guard(UserLock());
    std::shared_ptr<MessageQueue> queue;
    if (hWnd) {
        Window* window = WindowLocked(hWnd);
        if (!window)
            return 0;
        queue = window->queue;
        if (queue != CurrentQueueLocked()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    } else {
        queue = CurrentQueueLocked();
    }
    uElapse = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    UINT_PTR id = nIDEvent;
    if (!hWnd) {
        // Thread timers get an identifier of the system's choosing unless an
        // existing one is being reset.
        bool existing = false;
        for (const Timer& timer : queue->timers)
            existing |= !timer.hwnd && timer.id == nIDEvent;
        if (!existing || !nIDEvent)
            id = ++queue->nextThreadTimerId;
    }
    std::erase_if(queue->timers, [&](const Timer& timer) { return timer.hwnd == hWnd && timer.id == id; });
    Timer timer;
    timer.hwnd = hWnd;
    timer.id = id;
    timer.interval = uElapse;
    timer.proc = lpTimerFunc;
    timer.due = Clock::now() + std::chrono::milliseconds(uElapse);
    timer.order = queue->nextTimerOrder++;
    queue->timers.push_back(timer);
    WakeLocked(*queue);
    return id ? id : 1;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    Guard guard(UserLock());
    std::shared_ptr<MessageQueue> queue;
    if (hWnd) {
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        queue = window->queue;
    } else {
        queue = CurrentQueueLocked();
    }
    size_t removed = std::erase_if(queue->timers, [&](const Timer& timer) {
        return timer.hwnd == hWnd && timer.id == uIDEvent;
    });
    return removed > 0;
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR lpString)
{
    static std::map<std::wstring, UINT>* messages = new std::map<std::wstring, UINT>;
    if (!lpString || !*lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard guard(UserLock());
    auto [it, inserted] = messages->emplace(lpString, 0);
    if (inserted)
        it->second = 0xC000 + 0x100 + static_cast<UINT>(messages->size());
    return it->second;
}
