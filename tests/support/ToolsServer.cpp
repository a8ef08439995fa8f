#include "support/ToolsServer.h"

#include <curl/curl.h>
#include <json/reader.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <vector>

namespace kestrova::test {

namespace {

std::string PythonInterpreter()
{
    // Debian's own interpreter first: a user-level shim on PATH may point at
    // another installation.
    if (access("/usr/bin/python3", X_OK) == 0)
        return "/usr/bin/python3";
    return "python3";
}

size_t AppendToString(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

std::vector<std::string> SplitArguments(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

} // namespace

std::string ToolsServerScript()
{
    return std::string(KESTROVA_SOURCE_DIR) + "/tools/tools_server.py";
}

int UnusedLocalPort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot find a free local port");
    int port = ntohs(address.sin_port);
    close(fd);
    return port;
}

ToolsServer::ToolsServer(const std::string& root, const std::string& extraArguments)
{
    std::vector<std::string> words = {PythonInterpreter(), ToolsServerScript(), "--root", root};
    for (auto& word : SplitArguments(extraArguments)) {
        if (word == "--cert")
            m_https = true;
        words.push_back(word);
    }

    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);

    // The first line is "PORT <n>" once the server listens.
    std::unique_ptr<FILE, int (*)(FILE*)> out(fdopen(pipeFds[0], "r"), fclose);
    char line[128] = {};
    if (!out || !fgets(line, sizeof line, out.get()) || sscanf(line, "PORT %d", &m_port) != 1) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        throw std::runtime_error("the tools server did not start: " + ToolsServerScript());
    }
}

ToolsServer::~ToolsServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string ToolsServer::BaseUrl() const
{
    return std::string(m_https ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port);
}

std::wstring ToolsServer::BaseUrlW() const
{
    std::string narrow = BaseUrl();
    return std::wstring(narrow.begin(), narrow.end());
}

std::string ToolsServer::Request(const std::string& path, const std::string* postBody)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        throw std::runtime_error("curl_easy_init failed");
    std::string url = BaseUrl() + path;
    std::string response;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response);
    if (postBody) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(postBody->size()));
    }
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK)
        throw std::runtime_error("tools server control request failed: " + url);
    return response;
}

void ToolsServer::Control(const std::string& json)
{
    Request("/_control", &json);
}

void ToolsServer::Reset()
{
    std::string empty;
    Request("/_reset", &empty);
}

std::string ToolsServer::Received()
{
    return Request("/_received", nullptr);
}

Json::Value ToolsServer::ReceivedJson()
{
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(Received());
    if (!Json::parseFromStream(builder, in, &value, &errors))
        throw std::runtime_error("bad JSON from the tools server: " + errors);
    return value;
}

} // namespace kestrova::test
