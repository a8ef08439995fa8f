// Reporting usage events to the tools server's tool-log service.
#include "services/ToolLogReporter.h"

#include "services/Base64.h"
#include "services/HostPlatformWindow.h"
#include "services/HttpClient.h"
#include "services/MD5.h"
#include "services/PathConfig.h"

#include <cwchar>
#include <map>
#include <string>

namespace {

// The shared secret of the tool-log service. It never goes on the wire; it
// only enters the signature.
const char kRequestToken[] = "Hq3Tz8Ln5Wc2Rv7Xk4Mb9Pf6Js1Gd0";

// Room for the server's answer, in wide characters.
constexpr int kResponseCharacters = 2600;

// The proxy settings path the client is given: none. It is borrowed by the
// client, so it must outlive it.
const wchar_t kNoProxySettings[] = L"";

// The signature: ename + uid + runid + t + token, encoded with the tool's
// base64 alphabet, then MD5 as lower-case hexadecimal.
std::string SignRecord(const EventRecord& record)
{
    std::string plain = record.ename + record.uid + record.runid + record.t + kRequestToken;
    std::string encoded = Base64Encode(reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                                       kToolBase64Alphabet);
    return Md5Hex(encoded);
}

} // namespace

ToolLogReporter::ToolLogReporter()
    : m_client(HttpClient::GetInstance())
{
    m_client.Init(GetToolsServerBaseUrl().c_str(), kNoProxySettings);
}

ToolLogReporter& ToolLogReporter::GetInstance()
{
    // A function-local static is created exactly once, even when several
    // threads arrive together; it is never destroyed, like the client.
    static ToolLogReporter* reporter = new ToolLogReporter();
    return *reporter;
}

int ToolLogReporter::ReportEvent(const EventRecord& record)
{
    // The map orders the fields by name, which is the order of the form's
    // parts: "_t", "data", "pid", "remarks", "runid", "state", "token",
    // "toolid", "uid". The field key is not sent.
    std::map<std::string, std::string> fields;
    fields["toolid"] = record.ename;
    fields["uid"] = record.uid;
    fields["runid"] = record.runid;
    fields["pid"] = record.pid;
    fields["state"] = record.state;
    fields["data"] = record.data;
    fields["remarks"] = record.remarks;
    fields["_t"] = record.t;
    fields["token"] = SignRecord(record);

    // The buffer's own size is passed as the capacity, so a long answer is
    // cut at the buffer and can never run past it.
    wchar_t response[kResponseCharacters] = {};
    int status = m_client.PostForm(L"/Api/saveToolLog", fields, response, kResponseCharacters);
    response[kResponseCharacters - 1] = L'\0';
    return status > 0 && std::wcschr(response, L'0') ? 1 : 0;
}

void RecordEvent(const char* state, const char* data, const char* remarks)
{
    EventRecord record = BuildEventRecord(state, data, remarks);
    if (ToolLogReporter::GetInstance().ReportEvent(record) == 0)
        WriteEventSection(record);
}

void NotifyHostClosing(int installFinished)
{
    if (installFinished)
        RecordEvent("5", "", "");
    if (HWND host = FindHostPlatformWindow())
        PostHostClosingNotice(host, installFinished);
}
