// Building the event record: the identities from the launcher's file name,
// the machine's MAC text, the process id and the time.
#include "services/EventRecord.h"

#include "services/MachineIdentity.h"

#include <windows.h>

#include <cstdio>
#include <vector>

void ParseToolIdentityFromPath(const std::string& imagePath, std::string& ename, std::string& runid)
{
    ename.clear();
    runid.clear();

    // Pass 1: the file name without its extension. Both separators count:
    // the platform may hand out either kind of path.
    size_t separator = imagePath.find_last_of("\\/");
    std::string name = separator == std::string::npos ? imagePath : imagePath.substr(separator + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);

    // Pass 2: the pieces between dots, empty ones skipped.
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('.', start);
        if (end == std::string::npos)
            end = name.size();
        if (end > start)
            pieces.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    if (pieces.empty())
        return;

    // Pass 3: a launcher named <prefix>V<major>.<minor>.<run> carries both
    // identities; any other name is the tool identity alone.
    if (pieces.size() == 3) {
        size_t v = pieces[0].find('V');
        ename = (v == std::string::npos ? pieces[0] : pieces[0].substr(v + 1)) + pieces[1];
        runid = pieces[2];
        return;
    }
    ename = pieces[0];
}

void ParseToolIdentity(std::string& ename, std::string& runid)
{
    char path[MAX_PATH] = {};
    GetLauncherImagePath(path);
    if (path[0] == '\0') {
        DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            path[0] = '\0';
    }
    ParseToolIdentityFromPath(path, ename, runid);
}

std::string GetTimestampText()
{
    // The system time is UTC already; going through the local time and back
    // would be ambiguous in the hour repeated when daylight saving ends.
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&now, &fileTime))
        return "0";
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    // File times count 100-nanosecond ticks from 1601-01-01.
    const ULONGLONG ticksFrom1601To1970 = 116444736000000000ULL;
    long long seconds = static_cast<long long>((ticks.QuadPart - ticksFrom1601To1970) / 10000000ULL);
    char text[32];
    std::snprintf(text, sizeof(text), "%lld", seconds);
    return text;
}

EventRecord BuildEventRecord(const char* state, const char* data, const char* remarks)
{
    EventRecord record;
    ParseToolIdentity(record.ename, record.runid);

    char mac[MAX_PATH] = {};
    GetMacAddress(mac);
    record.uid = mac;

    char pid[16];
    std::snprintf(pid, sizeof(pid), "%d", static_cast<int>(GetCurrentProcessId()));
    record.pid = pid;

    record.state = state ? state : "";
    record.data = data ? data : "";
    record.remarks = remarks ? remarks : "";
    record.t = GetTimestampText();
    return record;
}
