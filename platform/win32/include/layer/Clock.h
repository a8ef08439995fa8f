// A test hook that freezes the wall clock.
//
// While an override is set, GetSystemTime, GetLocalTime (through the TZ
// zone rules) and GetSystemTimeAsFileTime report that moment instead of the
// real time. Tick counts and the performance counter are not affected.
// The C library's own time() is not affected either.
#pragma once

#include <cstdint>
#include <optional>

namespace win32 {

// Sets (or, with nullopt, clears) the moment, in seconds since 1970 UTC.
void SetClockOverride(std::optional<int64_t> unixSeconds);

// The same with millisecond precision.
void SetClockOverrideMilliseconds(std::optional<int64_t> unixMilliseconds);

// The current wall-clock time in milliseconds since 1970 UTC, honouring the
// override.
int64_t CurrentUnixMilliseconds();

} // namespace win32
