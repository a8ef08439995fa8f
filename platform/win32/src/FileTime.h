// FILETIME arithmetic: 100-nanosecond intervals since 1 January 1601 UTC.
#pragma once

#include <minwinbase.h>

#include <cstdint>
#include <ctime>

namespace win32 {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

inline uint64_t FileTimeToTicks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME TicksToFileTime(uint64_t ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

inline FILETIME TimespecToFileTime(const timespec& time)
{
    int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond + time.tv_nsec / 100;
    return TicksToFileTime(ticks < 0 ? 0 : static_cast<uint64_t>(ticks));
}

inline FILETIME UnixMillisecondsToFileTime(int64_t milliseconds)
{
    int64_t ticks = (milliseconds + kSecondsFrom1601To1970 * 1000) * 10000;
    return TicksToFileTime(ticks < 0 ? 0 : static_cast<uint64_t>(ticks));
}

} // namespace win32
