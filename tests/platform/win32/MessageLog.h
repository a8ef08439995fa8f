// A message recorder for window manager tests, in the manner of message
// sequence tests: a window procedure logs every message it sees; a test
// compares the log with an expected table as an ordered subsequence (the
// messages that matter, in order, ignoring others).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kestrova::test {

enum class Delivery { Sent, Posted };

struct LoggedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    Delivery delivery;
};

// One expected entry; the parameters are checked only when given.
struct Expected {
    UINT message;
    Delivery delivery = Delivery::Sent;
    std::optional<WPARAM> wParam = std::nullopt;
    std::optional<LPARAM> lParam = std::nullopt;
    HWND hwnd = nullptr; // null: any window
};

class MessageLog {
public:
    static MessageLog& Instance()
    {
        static MessageLog log;
        return log;
    }

    void Clear() { m_entries.clear(); }
    const std::vector<LoggedMessage>& Entries() const { return m_entries; }

    void Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Delivery delivery = Delivery::Sent;
        if (s_dispatching && s_dispatching->hwnd == hwnd && s_dispatching->message == message &&
            s_dispatching->wParam == wParam && s_dispatching->lParam == lParam) {
            delivery = Delivery::Posted;
            s_dispatching = nullptr;
        }
        m_entries.push_back({ hwnd, message, wParam, lParam, delivery });
    }

    // Messages of one kind, in order.
    std::vector<LoggedMessage> Of(UINT message, HWND hwnd = nullptr) const
    {
        std::vector<LoggedMessage> found;
        for (const auto& entry : m_entries)
            if (entry.message == message && (!hwnd || entry.hwnd == hwnd))
                found.push_back(entry);
        return found;
    }

    size_t Count(UINT message, HWND hwnd = nullptr) const { return Of(message, hwnd).size(); }

    // Checks that `expected` appears in the log in order; returns a readable
    // failure naming the first missing entry.
    testing::AssertionResult Contains(const std::vector<Expected>& expected) const
    {
        size_t at = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const Expected& want = expected[i];
            bool found = false;
            for (; at < m_entries.size(); ++at) {
                const LoggedMessage& got = m_entries[at];
                if (got.message != want.message || got.delivery != want.delivery)
                    continue;
                if (want.hwnd && got.hwnd != want.hwnd)
                    continue;
                if (want.wParam && got.wParam != *want.wParam)
                    continue;
                if (want.lParam && got.lParam != *want.lParam)
                    continue;
                found = true;
                ++at;
                break;
            }
            if (!found)
                return testing::AssertionFailure() << "entry " << i << " (message 0x" << std::hex << want.message
                                                   << ") missing from the ordered log:\n"
                                                   << Dump();
        }
        return testing::AssertionSuccess();
    }

    std::string Dump() const
    {
        std::ostringstream out;
        for (const auto& entry : m_entries)
            out << "  " << entry.hwnd << " 0x" << std::hex << entry.message << " wp=0x" << entry.wParam
                << " lp=0x" << entry.lParam << (entry.delivery == Delivery::Posted ? " posted" : " sent")
                << std::dec << "\n";
        return out.str();
    }

    // Dispatches one retrieved message, marking it as posted for the log.
    static void Dispatch(const MSG& msg)
    {
        s_dispatching = &msg;
        DispatchMessageW(&msg);
        s_dispatching = nullptr;
    }

private:
    std::vector<LoggedMessage> m_entries;
    static inline thread_local const MSG* s_dispatching = nullptr;
};

// Retrieves and dispatches everything queued for the calling thread.
inline int PumpMessages()
{
    MSG msg;
    int count = 0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        MessageLog::Dispatch(msg);
        ++count;
    }
    return count;
}

// A window procedure that records, then lets a per-test hook answer or falls
// back to DefWindowProcW.
using MessageHook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

inline MessageHook& CurrentHook()
{
    static MessageHook hook;
    return hook;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageLog::Instance().Record(hwnd, message, wParam, lParam);
    if (CurrentHook())
        if (auto answer = CurrentHook()(hwnd, message, wParam, lParam))
            return *answer;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Registers the recording class once per class name.
inline void RegisterRecordingClass(LPCWSTR name, UINT style = 0)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = RecordingProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&wc);
}

// The fixture every window test uses: a clean log and hook, and every
// window of the test destroyed at the end.
class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterRecordingClass(L"KestrovaTestWindow");
        RegisterRecordingClass(L"KestrovaTestDblClk", CS_DBLCLKS);
        MessageLog::Instance().Clear();
        CurrentHook() = nullptr;
    }

    void TearDown() override
    {
        CurrentHook() = nullptr;
        for (HWND hwnd : m_windows)
            if (IsWindow(hwnd))
                DestroyWindow(hwnd);
        PumpMessages();
        MessageLog::Instance().Clear();
    }

    HWND Create(DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
                LPCWSTR className = L"KestrovaTestWindow", DWORD exStyle = 0, UINT_PTR id = 0)
    {
        HWND hwnd = CreateWindowExW(exStyle, className, L"test", style, x, y, width, height, parent,
                                    reinterpret_cast<HMENU>(id), nullptr, nullptr);
        if (hwnd && !parent)
            m_windows.push_back(hwnd);
        return hwnd;
    }

    MessageLog& Log() { return MessageLog::Instance(); }

private:
    std::vector<HWND> m_windows;
};

} // namespace kestrova::test
