// Runs the local tools server (tools/tools_server.py) on 127.0.0.1 for the
// length of a test or a test suite.
#pragma once

#include <json/value.h>

#include <string>
#include <sys/types.h>

namespace kestrova::test {

class ToolsServer {
public:
    // Starts the server over the package folder root and waits until it
    // listens. Extra command-line arguments (such as "--cert FILE --key FILE")
    // go to the server as they are.
    explicit ToolsServer(const std::string& root, const std::string& extraArguments = "");
    ~ToolsServer();
    ToolsServer(const ToolsServer&) = delete;
    ToolsServer& operator=(const ToolsServer&) = delete;

    int Port() const { return m_port; }

    // "http://127.0.0.1:<port>" (or https with a certificate), without a
    // trailing slash.
    std::string BaseUrl() const;
    std::wstring BaseUrlW() const;

    // Sets a behaviour for one path prefix, for example
    // {"path": "/Api/saveToolLog", "status": 500}.
    void Control(const std::string& json);

    // Forgets every behaviour and every recorded request.
    void Reset();

    // Every request the server recorded, as its JSON text and parsed.
    std::string Received();
    Json::Value ReceivedJson();

private:
    std::string Request(const std::string& path, const std::string* postBody);

    pid_t m_pid = -1;
    int m_port = 0;
    bool m_https = false;
};

// The path of tools/tools_server.py in the source tree.
std::string ToolsServerScript();

// A port on 127.0.0.1 on which nothing listens (bound, then released).
int UnusedLocalPort();

} // namespace kestrova::test
