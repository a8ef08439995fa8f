// WinINet over libcurl against the real tools server on 127.0.0.1.
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include <errhandlingapi.h>
#include <heapapi.h>
#include <winerror.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using kestrova::test::TempDir;
using kestrova::test::ToolsServer;

namespace {

// The resident set size of this process, in bytes.
size_t ResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            size_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        std::getline(status, key);
    }
    return 0;
}

unsigned char PatternByte(size_t index)
{
    return static_cast<unsigned char>((index * 7 + index / 4096) % 251);
}

class WinInetTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
                                  "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY", "NO_PROXY" })
            unsetenv(name);
        m_session = InternetOpenA("KestrovaTest/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        ASSERT_NE(m_session, nullptr);
    }
    void TearDown() override
    {
        if (m_session)
            InternetCloseHandle(m_session);
    }

    std::string Url(const std::string& name) const { return m_server.BaseUrl() + "/uploads/tools/netframework/" + name; }

    HINTERNET Open(const std::string& name)
    {
        return InternetOpenUrlA(m_session, Url(name).c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0);
    }

    // Reads to the end in chunks of at most chunk bytes; fails the test when a
    // read delivers more than it was asked for.
    std::string ReadAll(HINTERNET request, DWORD chunk, BOOL& lastResult, DWORD& lastError)
    {
        std::string body;
        std::string buffer(chunk + 16, '\0');
        for (;;) {
            DWORD got = 12345;
            lastResult = InternetReadFile(request, buffer.data(), chunk, &got);
            lastError = lastResult ? 0 : GetLastError();
            EXPECT_LE(got, chunk);
            if (!lastResult || got == 0)
                return body;
            body.append(buffer.data(), got);
        }
    }

    TempDir m_root { "wininet" };
    ToolsServer m_server { m_root.Path() };
    HINTERNET m_session = nullptr;
};

TEST_F(WinInetTest, StreamsTheWholeBodyInReadsNoLargerThanAsked)
{
    std::string content;
    for (size_t i = 0; i < 300000; ++i)
        content += static_cast<char>(PatternByte(i));
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("pkg.exe"), content));

    for (DWORD chunk : { 1u, 1023u, 65536u, 1u << 20 }) {
        SCOPED_TRACE(chunk);
        HINTERNET request = Open("pkg.exe");
        ASSERT_NE(request, nullptr);
        BOOL result = FALSE;
        DWORD error = 0;
        std::string body = ReadAll(request, chunk, result, error);
        EXPECT_TRUE(result);
        EXPECT_EQ(body.size(), content.size());
        EXPECT_TRUE(body == content);
        // Past the end every read keeps delivering nothing.
        char extra[8];
        DWORD got = 99;
        EXPECT_TRUE(InternetReadFile(request, extra, sizeof extra, &got));
        EXPECT_EQ(got, 0u);
        EXPECT_TRUE(InternetCloseHandle(request));
    }
}

TEST_F(WinInetTest, AnErrorStatusStillOpensAndItsBodyIsReadable)
{
    HINTERNET request = Open("missing.exe");
    ASSERT_NE(request, nullptr);

    DWORD status = 0, length = sizeof status;
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
    EXPECT_EQ(status, 404u);
    char text[16];
    length = sizeof text;
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_STREQ(text, "404");
    EXPECT_EQ(length, 3u);

    char info[260];
    DWORD infoLength = sizeof info;
    DWORD infoError = 1;
    ASSERT_TRUE(InternetGetLastResponseInfoA(&infoError, info, &infoLength));
    EXPECT_EQ(std::string(info).substr(0, 5), "HTTP/");
    EXPECT_NE(std::string(info).find("404"), std::string::npos);

    BOOL result = FALSE;
    DWORD error = 0;
    std::string body = ReadAll(request, 1023, result, error);
    EXPECT_TRUE(result);
    EXPECT_NE(body.find("<html"), std::string::npos);
    InternetCloseHandle(request);
}

TEST_F(WinInetTest, FollowsRedirectsToTheFinalAnswer)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("hop.exe"), "final"));
    m_server.Control(R"({"path": "/uploads/tools/netframework/hop.exe", "redirects": 3})");
    HINTERNET request = Open("hop.exe");
    ASSERT_NE(request, nullptr);
    DWORD status = 0, length = sizeof status;
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
    EXPECT_EQ(status, 200u);
    BOOL result = FALSE;
    DWORD error = 0;
    EXPECT_EQ(ReadAll(request, 1023, result, error), "final");
    InternetCloseHandle(request);
}

TEST_F(WinInetTest, ATransferCutPartWayDeliversWhatArrivedThenFails)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("cut.exe"), std::string(5000, 'x')));
    m_server.Control(R"({"path": "/uploads/tools/netframework/cut.exe", "cut_after": 100, "cut_times": 1})");
    HINTERNET request = Open("cut.exe");
    ASSERT_NE(request, nullptr);
    BOOL result = TRUE;
    DWORD error = 0;
    std::string body = ReadAll(request, 1023, result, error);
    EXPECT_EQ(body, std::string(100, 'x'));
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INTERNET_CONNECTION_RESET));
    InternetCloseHandle(request);
}

TEST_F(WinInetTest, AClosedPortFailsWithNoServerResponse)
{
    std::string url = "http://127.0.0.1:" + std::to_string(kestrova::test::UnusedLocalPort()) + "/x";
    SetLastError(0);
    EXPECT_EQ(InternetOpenUrlA(m_session, url.c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));

    char info[260] = "stale";
    DWORD length = sizeof info;
    ASSERT_TRUE(InternetGetLastResponseInfoA(nullptr, info, &length));
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(info, "");
}

TEST_F(WinInetTest, HandlesOfTheWrongKindOrClosedFailCleanly)
{
    char buffer[16];
    DWORD got = 7;
    EXPECT_FALSE(InternetReadFile(m_session, buffer, sizeof buffer, &got));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE));
    EXPECT_EQ(got, 0u);

    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("a.exe"), "abc"));
    HINTERNET request = Open("a.exe");
    ASSERT_NE(request, nullptr);
    EXPECT_TRUE(InternetCloseHandle(request));
    EXPECT_FALSE(InternetCloseHandle(request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(InternetOpenUrlA(request, Url("a.exe").c_str(), nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WinInetTest, TheSessionsProxyChoiceIsUsed)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(m_root.File("p.exe"), "via"));
    std::string server = "127.0.0.1:" + std::to_string(m_server.Port());
    std::string closed = "127.0.0.1:" + std::to_string(kestrova::test::UnusedLocalPort());
    std::string local = "http://localhost:" + std::to_string(m_server.Port()) + "/uploads/tools/netframework/p.exe";
    struct Case {
        const char* name;
        DWORD access;
        std::string proxy, bypass, environment, noProxy, url;
        bool opens;
    } cases[] = {
        { "named proxy", INTERNET_OPEN_TYPE_PROXY, server, "", "", "", "http://kestrova.invalid/p", true },
        { "dead proxy", INTERNET_OPEN_TYPE_PROXY, closed, "", "", "", local, false },
        { "bypassed dead proxy", INTERNET_OPEN_TYPE_PROXY, closed, "<local>", "", "", local, true },
        { "wildcard bypass", INTERNET_OPEN_TYPE_PROXY, "http=" + closed, "LOCAL*", "", "", local, true },
        { "direct ignores the environment", INTERNET_OPEN_TYPE_DIRECT, "", "", closed, "", local, true },
        { "preconfig uses the environment", INTERNET_OPEN_TYPE_PRECONFIG, "", "", closed, "", local, false },
        { "preconfig honours no_proxy", INTERNET_OPEN_TYPE_PRECONFIG, "", "", closed, "localhost", local, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.Reset();
        if (!c.environment.empty())
            setenv("http_proxy", c.environment.c_str(), 1);
        if (!c.noProxy.empty())
            setenv("no_proxy", c.noProxy.c_str(), 1);
        HINTERNET session = InternetOpenA("agent", c.access, c.proxy.empty() ? nullptr : c.proxy.c_str(),
                                          c.bypass.empty() ? nullptr : c.bypass.c_str(), 0);
        ASSERT_NE(session, nullptr);
        HINTERNET request = InternetOpenUrlA(session, c.url.c_str(), nullptr, 0, 0, 0);
        EXPECT_EQ(request != nullptr, c.opens);
        if (request && c.url.find("invalid") != std::string::npos) {
            Json::Value received = m_server.ReceivedJson();
            ASSERT_EQ(received.size(), 1u);
            EXPECT_EQ(received[0]["path"].asString(), "http://kestrova.invalid/p");
        }
        if (request)
            InternetCloseHandle(request);
        InternetCloseHandle(session);
        unsetenv("http_proxy");
        unsetenv("no_proxy");
    }
}

TEST_F(WinInetTest, ALargeResponseIsNeverHeldInMemory)
{
    // 200 MB written in 1 MB blocks of a known pattern.
    constexpr size_t kTotal = 200u * 1024 * 1024;
    {
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i % 253);
        FILE* file = std::fopen(m_root.File("big.exe").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (size_t written = 0; written < kTotal; written += block.size())
            ASSERT_EQ(std::fwrite(block.data(), 1, block.size(), file), block.size());
        std::fclose(file);
    }
    HINTERNET request = Open("big.exe");
    ASSERT_NE(request, nullptr);
    size_t baseline = ResidentBytes();
    size_t peak = baseline;
    size_t total = 0;
    bool patternHolds = true;
    char buffer[1023];
    for (DWORD got = 1; got > 0;) {
        ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &got));
        for (DWORD i = 0; i < got && patternHolds; i += 211)
            patternHolds = static_cast<unsigned char>(buffer[i]) == (total + i) % (1 << 20) % 253;
        total += got;
        if (total % (16u << 20) < sizeof buffer)
            peak = std::max(peak, ResidentBytes());
    }
    InternetCloseHandle(request);
    EXPECT_EQ(total, kTotal);
    EXPECT_TRUE(patternHolds);
    EXPECT_LT(peak - baseline, 32u << 20) << "the response was buffered instead of streamed";
}

} // namespace
