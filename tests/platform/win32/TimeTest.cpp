#include <layer/Clock.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

// Runs a test body in a given TZ zone and puts the old one back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

struct ClockGuard {
    ~ClockGuard() { win32::SetClockOverride(std::nullopt); }
};

std::string Format(const SYSTEMTIME& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u w%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return text;
}

TEST(Clock, OverrideFreezesSystemAndLocalTime)
{
    ClockGuard guard;
    ScopedTimeZone zone("Asia/Shanghai");
    win32::SetClockOverride(1709681405); // 23:30:05 UTC on 5 March 2024, a Tuesday.
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    EXPECT_EQ(Format(utc), "2024-03-05 23:30:05.000 w2");
    EXPECT_EQ(Format(local), "2024-03-06 07:30:05.000 w3");
    FILETIME file;
    GetSystemTimeAsFileTime(&file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    EXPECT_EQ(ticks.QuadPart, (1709681405ULL + 11644473600ULL) * 10000000ULL);

    win32::SetClockOverrideMilliseconds(1709683629123LL); // 00:07:09.123 on 6 March.
    GetSystemTime(&utc);
    EXPECT_EQ(Format(utc), "2024-03-06 00:07:09.123 w3");

    win32::SetClockOverride(std::nullopt);
    GetSystemTime(&utc);
    EXPECT_GE(utc.wYear, 2024);
}

TEST(Clock, FileTimeAndSystemTimeRoundTrip)
{
    struct Case {
        SYSTEMTIME time;
        ULONGLONG ticks;
    } cases[] = {
        {{1601, 1, 1, 1, 0, 0, 0, 0}, 0ULL},
        {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ULL},
        {{2024, 2, 4, 29, 12, 34, 56, 789}, 133536836967890000ULL},
    };
    for (const Case& test : cases) {
        FILETIME file;
        ASSERT_TRUE(SystemTimeToFileTime(&test.time, &file));
        ULARGE_INTEGER ticks;
        ticks.LowPart = file.dwLowDateTime;
        ticks.HighPart = file.dwHighDateTime;
        EXPECT_EQ(ticks.QuadPart, test.ticks) << Format(test.time);
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
        EXPECT_EQ(Format(back), Format(test.time));
    }
    SYSTEMTIME invalid[] = {{2023, 2, 0, 29, 0, 0, 0, 0}, {2024, 13, 0, 1, 0, 0, 0, 0}, {2024, 1, 0, 1, 24, 0, 0, 0}};
    for (const SYSTEMTIME& time : invalid) {
        FILETIME file;
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&time, &file)) << Format(time);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST(Clock, TimeZoneRulesFollowTz)
{
    ClockGuard guard;
    ScopedTimeZone zone("Europe/Berlin");
    win32::SetClockOverride(1719835200); // 1 July 2024, summer time.
    TIME_ZONE_INFORMATION info;
    EXPECT_EQ(GetTimeZoneInformation(&info), static_cast<DWORD>(TIME_ZONE_ID_DAYLIGHT));
    EXPECT_EQ(info.Bias, -60);
    EXPECT_EQ(info.DaylightBias, -60);
    // Summer time starts on the last Sunday of March at 02:00 and ends on
    // the last Sunday of October at 03:00 (summer time).
    EXPECT_EQ(info.DaylightDate.wMonth, 3);
    EXPECT_EQ(info.DaylightDate.wDay, 5);
    EXPECT_EQ(info.DaylightDate.wDayOfWeek, 0);
    EXPECT_EQ(info.DaylightDate.wHour, 2);
    EXPECT_EQ(info.StandardDate.wMonth, 10);
    EXPECT_EQ(info.StandardDate.wHour, 3);

    // The zone record and the TZ rules agree on both sides of the changes.
    struct Case {
        SYSTEMTIME utc;
        int localHour;
    } cases[] = {
        {{2024, 3, 0, 31, 0, 59, 0, 0}, 1},
        {{2024, 3, 0, 31, 1, 0, 0, 0}, 3},
        {{2024, 10, 0, 27, 0, 59, 0, 0}, 2},
        {{2024, 10, 0, 27, 1, 0, 0, 0}, 2},
        {{2025, 1, 0, 15, 12, 0, 0, 0}, 13},
    };
    for (const Case& test : cases) {
        SYSTEMTIME viaZone, viaTz;
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&info, &test.utc, &viaZone));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &test.utc, &viaTz));
        EXPECT_EQ(viaZone.wHour, test.localHour) << Format(test.utc);
        EXPECT_EQ(Format(viaZone), Format(viaTz));
    }

    ScopedTimeZone utc("UTC");
    EXPECT_EQ(GetTimeZoneInformation(&info), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(info.Bias, 0);
}

TEST(Clock, CountersMoveForward)
{
    LARGE_INTEGER frequency, first, second;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_GT(frequency.QuadPart, 0);
    QueryPerformanceCounter(&first);
    Sleep(2);
    QueryPerformanceCounter(&second);
    EXPECT_GT(second.QuadPart, first.QuadPart);
    EXPECT_LE(static_cast<ULONGLONG>(GetTickCount()), GetTickCount64() & 0xFFFFFFFFULL);
}

} // namespace
