// Usage events of the tool: each is reported at once to the tools server's
// tool-log service and kept in the local event file only when the report
// fails.
#pragma once

#include "services/EventFile.h"
#include "services/EventRecord.h"

class HttpClient;

// The process-wide reporter of event records to the tools server.
class ToolLogReporter {
public:
    // The reporter, created on first use by whichever thread comes first,
    // with the process-wide HTTP client initialised to the tools server's
    // base URL. It is never destroyed.
    static ToolLogReporter& GetInstance();

    // Posts the record, signed, to "/Api/saveToolLog". Returns 1 when the
    // server accepted it (status 200 and a "0" in the answer), else 0.
    int ReportEvent(const EventRecord& record);

private:
    ToolLogReporter();
    ToolLogReporter(const ToolLogReporter&) = delete;
    ToolLogReporter& operator=(const ToolLogReporter&) = delete;

    HttpClient& m_client;
};

// Records an event: builds its record, reports it, and writes it to the
// event file when the report fails. The caller is not told the outcome.
void RecordEvent(const char* state, const char* data, const char* remarks);

// The closing notice: records the event "5" when an install has finished,
// then posts the host platform's window, if there is one, the message 2037
// with wParam = the flag.
void NotifyHostClosing(int installFinished);
