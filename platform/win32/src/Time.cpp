// Wall-clock time, time conversions, time zones and tick counts.
#include "FileTime.h"
#include "TextCodec.h"

#include <layer/Clock.h>

#include <errhandlingapi.h>
#include <fileapi.h>
#include <profileapi.h>
#include <sysinfoapi.h>
#include <timezoneapi.h>
#include <winerror.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <cwchar>

namespace {

// INT64_MIN stands for "no override".
std::atomic<int64_t> g_clockOverride{INT64_MIN};

SYSTEMTIME SystemTimeFromTm(const struct tm& parts, int milliseconds)
{
    SYSTEMTIME time;
    time.wYear = static_cast<WORD>(parts.tm_year + 1900);
    time.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    time.wDay = static_cast<WORD>(parts.tm_mday);
    time.wHour = static_cast<WORD>(parts.tm_hour);
    time.wMinute = static_cast<WORD>(parts.tm_min);
    time.wSecond = static_cast<WORD>(parts.tm_sec);
    time.wMilliseconds = static_cast<WORD>(milliseconds);
    return time;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Seconds since 1970 of a date and time read as UTC. Works for any year.
int64_t SecondsOfCivil(int year, int month, int day, int hour, int minute, int second)
{
    // Days from civil (H. Hinnant's algorithm).
    year -= month <= 2;
    int64_t era = FloorDiv(year, 400);
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

bool IsValidSystemTime(const SYSTEMTIME& time)
{
    return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 &&
           time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 && time.wMinute < 60 &&
           time.wSecond < 60 && time.wMilliseconds < 1000;
}

SYSTEMTIME UtcSystemTime(int64_t unixMilliseconds)
{
    time_t seconds = static_cast<time_t>(FloorDiv(unixMilliseconds, 1000));
    struct tm parts;
    gmtime_r(&seconds, &parts);
    return SystemTimeFromTm(parts, static_cast<int>(unixMilliseconds - static_cast<int64_t>(seconds) * 1000));
}

SYSTEMTIME LocalSystemTime(int64_t unixMilliseconds)
{
    time_t seconds = static_cast<time_t>(FloorDiv(unixMilliseconds, 1000));
    struct tm parts;
    localtime_r(&seconds, &parts);
    return SystemTimeFromTm(parts, static_cast<int>(unixMilliseconds - static_cast<int64_t>(seconds) * 1000));
}

long OffsetSecondsAt(time_t when, bool* daylight = nullptr)
{
    struct tm parts;
    localtime_r(&when, &parts);
    if (daylight)
        *daylight = parts.tm_isdst > 0;
    return parts.tm_gmtoff;
}

// Describes a transition the way TIME_ZONE_INFORMATION does: the month,
// the weekday, the week of the month (5 = the last) and the local time of
// the clock in force before the change.
SYSTEMTIME TransitionRule(time_t when)
{
    // The moment read on the clock in force just before the change.
    time_t local = when + OffsetSecondsAt(when - 1);
    struct tm parts;
    gmtime_r(&local, &parts);
    SYSTEMTIME rule = SystemTimeFromTm(parts, 0);
    int week = (rule.wDay - 1) / 7 + 1;
    if (rule.wDay + 7 > DaysInMonth(rule.wYear, rule.wMonth))
        week = 5;
    rule.wDay = static_cast<WORD>(week);
    rule.wYear = 0;
    return rule;
}

// Finds the first moment in (from, to] whose daylight flag differs from
// the one at from, to the second.
time_t FindTransition(time_t from, time_t to)
{
    bool start;
    OffsetSecondsAt(from, &start);
    while (to - from > 1) {
        time_t middle = from + (to - from) / 2;
        bool daylight;
        OffsetSecondsAt(middle, &daylight);
        if (daylight == start)
            from = middle;
        else
            to = middle;
    }
    return to;
}

void CopyName(WCHAR* target, const char* name)
{
    std::wstring wide = win32::Utf8ToWide(name ? name : "");
    std::wmemset(target, 0, 32);
    std::wmemcpy(target, wide.data(), std::min<size_t>(wide.size(), 31));
}

// The day of the month on which a TIME_ZONE_INFORMATION rule falls in a
// year.
int RuleDay(const SYSTEMTIME& rule, int year)
{
    int64_t firstSeconds = SecondsOfCivil(year, rule.wMonth, 1, 0, 0, 0);
    int firstWeekday = static_cast<int>(((FloorDiv(firstSeconds, 86400) % 7) + 11) % 7); // 1970-01-01 was a Thursday.
    int day = 1 + (rule.wDayOfWeek - firstWeekday + 7) % 7 + (rule.wDay - 1) * 7;
    while (day > DaysInMonth(year, rule.wMonth))
        day -= 7;
    return day;
}

} // namespace

namespace win32 {

void SetClockOverride(std::optional<int64_t> unixSeconds)
{
    SetClockOverrideMilliseconds(unixSeconds ? std::optional<int64_t>(*unixSeconds * 1000) : std::nullopt);
}

void SetClockOverrideMilliseconds(std::optional<int64_t> unixMilliseconds)
{
    g_clockOverride.store(unixMilliseconds ? *unixMilliseconds : INT64_MIN);
}

int64_t CurrentUnixMilliseconds()
{
    int64_t frozen = g_clockOverride.load();
    if (frozen != INT64_MIN)
        return frozen;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace win32

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    *lpSystemTime = UtcSystemTime(win32::CurrentUnixMilliseconds());
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    *lpSystemTime = LocalSystemTime(win32::CurrentUnixMilliseconds());
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime)
{
    int64_t frozen = g_clockOverride.load();
    if (frozen != INT64_MIN) {
        *lpSystemTimeAsFileTime = win32::UnixMillisecondsToFileTime(frozen);
        return;
    }
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    *lpSystemTimeAsFileTime = win32::TimespecToFileTime(now);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    uint64_t ticks = win32::FileTimeToTicks(*lpFileTime);
    if (ticks >= 0x8000000000000000ULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t milliseconds = static_cast<int64_t>(ticks / 10000) - win32::kSecondsFrom1601To1970 * 1000;
    *lpSystemTime = UtcSystemTime(milliseconds);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime)
{
    if (!IsValidSystemTime(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& t = *lpSystemTime;
    int64_t seconds = SecondsOfCivil(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    int64_t ticks = (seconds + win32::kSecondsFrom1601To1970) * win32::kTicksPerSecond + t.wMilliseconds * 10000LL;
    *lpFileTime = win32::TicksToFileTime(static_cast<uint64_t>(ticks));
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime)
{
    // Windows applies the bias in force now, not the one of the file time's
    // own date; so does this.
    int64_t offset = OffsetSecondsAt(static_cast<time_t>(win32::CurrentUnixMilliseconds() / 1000));
    int64_t ticks = static_cast<int64_t>(win32::FileTimeToTicks(*lpFileTime)) + offset * win32::kTicksPerSecond;
    *lpLocalFileTime = win32::TicksToFileTime(static_cast<uint64_t>(ticks < 0 ? 0 : ticks));
    return TRUE;
}

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation)
{
    tzset();
    TIME_ZONE_INFORMATION info;
    std::memset(&info, 0, sizeof info);

    // Pass 1: find this year's changes between standard and daylight time
    // by looking at the first of every month, then narrowing to the second.
    time_t now = static_cast<time_t>(win32::CurrentUnixMilliseconds() / 1000);
    struct tm parts;
    gmtime_r(&now, &parts);
    int year = parts.tm_year + 1900;
    time_t toDaylight = 0, toStandard = 0;
    long standardOffset = 0, daylightOffset = 0;
    bool hasStandard = false;
    bool previousDaylight;
    time_t previous = static_cast<time_t>(SecondsOfCivil(year, 1, 1, 0, 0, 0));
    long offset = OffsetSecondsAt(previous, &previousDaylight);
    (previousDaylight ? daylightOffset : standardOffset) = offset;
    hasStandard = !previousDaylight;
    for (int month = 2; month <= 13; ++month) {
        time_t next = static_cast<time_t>(SecondsOfCivil(month == 13 ? year + 1 : year, month == 13 ? 1 : month, 1, 0, 0, 0));
        bool daylight;
        long nextOffset = OffsetSecondsAt(next, &daylight);
        if (daylight != previousDaylight) {
            time_t change = FindTransition(previous, next);
            (daylight ? toDaylight : toStandard) = change;
        }
        if (daylight)
            daylightOffset = nextOffset;
        else {
            standardOffset = nextOffset;
            hasStandard = true;
        }
        previous = next;
        previousDaylight = daylight;
    }
    if (!hasStandard)
        standardOffset = daylightOffset;

    // Pass 2: fill the record. Biases are minutes to add to local time to
    // get UTC.
    info.Bias = static_cast<LONG>(-standardOffset / 60);
    CopyName(info.StandardName, tzname[0]);
    CopyName(info.DaylightName, tzname[1]);
    bool daylightNow = false;
    OffsetSecondsAt(now, &daylightNow);
    if (toDaylight && toStandard) {
        info.DaylightBias = static_cast<LONG>(-(daylightOffset - standardOffset) / 60);
        info.DaylightDate = TransitionRule(toDaylight);
        info.StandardDate = TransitionRule(toStandard);
        *lpTimeZoneInformation = info;
        return daylightNow ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
    }
    *lpTimeZoneInformation = info;
    return TIME_ZONE_ID_UNKNOWN;
}

BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                            const SYSTEMTIME* lpUniversalTime, LPSYSTEMTIME lpLocalTime)
{
    FILETIME universal;
    if (!SystemTimeToFileTime(lpUniversalTime, &universal))
        return FALSE;
    int64_t milliseconds = static_cast<int64_t>(win32::FileTimeToTicks(universal) / 10000) -
                           win32::kSecondsFrom1601To1970 * 1000;
    if (!lpTimeZoneInformation) {
        // The current zone: its own rules for that moment, which are exact
        // even for years whose rules differ from this year's.
        *lpLocalTime = LocalSystemTime(milliseconds);
        return TRUE;
    }

    // A given zone: apply its rules for the year of the moment.
    const TIME_ZONE_INFORMATION& zone = *lpTimeZoneInformation;
    int64_t standardBias = zone.Bias + zone.StandardBias;
    int64_t daylightBias = zone.Bias + zone.DaylightBias;
    int64_t bias = standardBias;
    if (zone.StandardDate.wMonth != 0 && zone.DaylightDate.wMonth != 0) {
        int year = lpUniversalTime->wYear;
        const SYSTEMTIME& d = zone.DaylightDate;
        const SYSTEMTIME& s = zone.StandardDate;
        // Transition moments in UTC: each rule's time is read on the clock
        // in force before the change.
        int64_t toDaylight = (SecondsOfCivil(year, d.wMonth, RuleDay(d, year), d.wHour, d.wMinute, d.wSecond) +
                              standardBias * 60) * 1000;
        int64_t toStandard = (SecondsOfCivil(year, s.wMonth, RuleDay(s, year), s.wHour, s.wMinute, s.wSecond) +
                              daylightBias * 60) * 1000;
        bool daylight = toDaylight < toStandard ? (milliseconds >= toDaylight && milliseconds < toStandard)
                                                : (milliseconds >= toDaylight || milliseconds < toStandard);
        if (daylight)
            bias = daylightBias;
    }
    *lpLocalTime = UtcSystemTime(milliseconds - bias * 60 * 1000);
    return TRUE;
}

DWORD WINAPI GetTickCount(void)
{
    return static_cast<DWORD>(GetTickCount64());
}

ULONGLONG WINAPI GetTickCount64(void)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1000000;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency)
{
    lpFrequency->QuadPart = 1000000000LL;
    return TRUE;
}
