// One usage event of the tool: nine narrow texts in the ANSI code page,
// filled anew for every event.
#pragma once

#include <string>

struct EventRecord {
    std::string ename;   // Tool identity, from the launcher's file name.
    std::string runid;   // Run identity; empty when the file name has none.
    std::string uid;     // The machine's MAC text; empty when unreadable.
    std::string pid;     // The tool's own process id in decimal.
    std::string state;   // The event code.
    std::string data;    // First detail text.
    std::string remarks; // Second detail text.
    std::string t;       // Unix time in seconds, decimal.
    std::string key;     // Always empty; kept for the event file format.
};

// Parses the tool and run identities from an executable path: the file name
// without its extension, split at dots. Three pieces give ename = the first
// piece after its first "V" followed by the second piece, and runid = the
// third; any other count gives ename = the first piece and an empty runid.
void ParseToolIdentityFromPath(const std::string& imagePath, std::string& ename, std::string& runid);

// The identities of this run: parsed from the launching process's executable,
// or from the tool's own when the launcher cannot be found.
void ParseToolIdentity(std::string& ename, std::string& runid);

// The current Unix time in seconds, as decimal text.
std::string GetTimestampText();

// Builds the record of an event of this process, now.
EventRecord BuildEventRecord(const char* state, const char* data, const char* remarks);
