// Writing a failed event to the local event file.
#include "services/EventFile.h"

#include "services/PathConfig.h"

#include <cassert>
#include <cstdio>

namespace {

// One line of the section: the field's name, where its value lives, and the
// size of the line's buffer (name, "=", value and the terminating NUL).
struct EventLine {
    const char* name;
    std::string EventRecord::*field;
    size_t bufferSize;
};

const EventLine kEventLines[] = {
    { "ename", &EventRecord::ename, 260 },  { "runid", &EventRecord::runid, 260 },
    { "uid", &EventRecord::uid, 260 },      { "pid", &EventRecord::pid, 260 },
    { "state", &EventRecord::state, 260 },  { "data", &EventRecord::data, 13000 },
    { "remarks", &EventRecord::remarks, 1300 }, { "t", &EventRecord::t, 260 },
    { "key", &EventRecord::key, 260 },
};

// A value with a line break or a NUL would end its line early and could add
// lines, or whole sections, of its own to the file.
std::string WithoutLineBreaks(const std::string& value)
{
    std::string clean;
    clean.reserve(value.size());
    for (char c : value) {
        if (c != '\r' && c != '\n' && c != '\0')
            clean += c;
    }
    return clean;
}

// Cuts text to at most maxBytes. In UTF-8, the ANSI code page here, the cut
// backs off to the start of a character, so no half sequence is left.
void CutText(std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return;
    size_t end = maxBytes;
    if (GetACP() == CP_UTF8) {
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
    }
    text.erase(end);
}

} // namespace

std::string EventSectionName(const SYSTEMTIME& utc)
{
    char name[64];
    std::snprintf(name, sizeof(name), "sec_%04d%02d%02d_%02d%02d%02d", utc.wYear, utc.wMonth, utc.wDay,
                  utc.wHour + 8, utc.wMinute, utc.wSecond);
    return name;
}

std::string BuildEventSectionBody(const EventRecord& record)
{
    std::string body;
    for (const EventLine& line : kEventLines) {
        std::string text = line.name;
        text += '=';
        assert(text.size() < line.bufferSize);
        text += WithoutLineBreaks(record.*line.field);
        CutText(text, line.bufferSize - 1);
        body += text;
        body += '\0';
    }
    body += '\0';
    return body;
}

void WriteEventSection(const EventRecord& record)
{
    std::string file;
    GetConfigPath("logIni", file);
    SYSTEMTIME now;
    GetSystemTime(&now);
    std::string body = BuildEventSectionBody(record);
    WritePrivateProfileSectionA(EventSectionName(now).c_str(), body.c_str(), file.c_str());
}
