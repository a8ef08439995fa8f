#include "TextCodec.h"

#include <layer/DebugOutput.h>

#include <debugapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

constexpr size_t kSinkCapacity = 10000;

struct DebugSink {
    std::mutex lock;
    std::deque<std::string> messages;
};

DebugSink& Sink()
{
    static auto* sink = new DebugSink;
    return *sink;
}

void Emit(std::string message)
{
    const char* mode = std::getenv("KESTROVA_DEBUG_OUTPUT");
    if (mode && std::strcmp(mode, "stderr") == 0) {
        std::fwrite(message.data(), 1, message.size(), stderr);
        std::fflush(stderr);
    }
    auto& sink = Sink();
    std::lock_guard guard(sink.lock);
    sink.messages.push_back(std::move(message));
    if (sink.messages.size() > kSinkCapacity)
        sink.messages.pop_front();
}

} // namespace

namespace win32 {

std::vector<std::string> TakeDebugOutput()
{
    auto& sink = Sink();
    std::lock_guard guard(sink.lock);
    std::vector<std::string> messages(sink.messages.begin(), sink.messages.end());
    sink.messages.clear();
    return messages;
}

} // namespace win32

void WINAPI OutputDebugStringA(LPCSTR lpOutputString)
{
    Emit(lpOutputString ? std::string(lpOutputString) : std::string());
}

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString)
{
    Emit(win32::WideToUtf8(lpOutputString));
}

BOOL WINAPI IsDebuggerPresent(void)
{
    return FALSE;
}

void WINAPI DebugBreak(void)
{
    __builtin_trap();
}
