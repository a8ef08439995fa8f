// HttpClient::PostForm against the real tools server on 127.0.0.1.
#include "../platform/win32/ProxyEnvironment.h"
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include "services/HttpClient.h"

#include <gtest/gtest.h>

#include <cstdlib>

using kestrova::test::ProxyEnvironment;
using kestrova::test::TempDir;
using kestrova::test::ToolsServer;

namespace {

const wchar_t kPath[] = L"/Api/saveToolLog";

class HttpClientTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_client.Init(m_server.BaseUrlW().c_str(), L""), 0); }

    // Posts one form; the response buffer starts as "untouched".
    int Post(std::wstring& response, const std::map<std::string, std::string>& fields = { { "a", "1" } },
             int capacity = 260)
    {
        wchar_t buffer[2600];
        std::wcscpy(buffer, L"untouched");
        int status = m_client.PostForm(kPath, fields, buffer, capacity);
        response = buffer;
        return status;
    }

    ProxyEnvironment m_environment;
    TempDir m_root { "http" };
    ToolsServer m_server { m_root.Path() };
    HttpClient m_client;
};

TEST_F(HttpClientTest, SendsTheFieldsInNameOrderThenSubmit)
{
    std::wstring response;
    // Narrow values go as their bytes: no conversion to UTF-8 on the way.
    ASSERT_EQ(Post(response, { { "b", "2" }, { "a", "\xc4\xe3 1" } }), 200);
    Json::Value received = m_server.ReceivedJson();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0]["method"].asString(), "POST");
    EXPECT_EQ(received[0]["path"].asString(), "/Api/saveToolLog");
    EXPECT_NE(received[0]["headers"]["Content-Type"].asString().find("multipart/form-data"), std::string::npos);
    const Json::Value& parts = received[0]["parts"];
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0][0].asString(), "a");
    EXPECT_EQ(parts[0][1].asString(), "\xc3\x84\xc3\xa3 1"); // latin-1 C4 E3 as the server shows it
    EXPECT_EQ(parts[1][0].asString(), "b");
    EXPECT_EQ(parts[1][1].asString(), "2");
    EXPECT_EQ(parts[2][0].asString(), "submit");
    EXPECT_EQ(parts[2][1].asString(), "send");
}

struct StatusCase {
    const char* control;
    int status;
    const wchar_t* response;
};

const StatusCase kStatusCases[] = {
    { R"({"path": "/Api/saveToolLog", "status": 200, "body": "0"})", 200, L"0" },
    { R"({"path": "/Api/saveToolLog", "status": 200, "body": "ok 1"})", 200, L"ok 1" },
    { R"({"path": "/Api/saveToolLog", "status": 404, "body": "missing 0"})", 404, L"untouched" },
    { R"({"path": "/Api/saveToolLog", "status": 500, "body": "err 0"})", 500, L"untouched" },
    // A chain of five redirections is followed to its end.
    { R"({"path": "/Api/saveToolLog", "redirects": 5, "status": 200, "body": "0"})", 200, L"0" },
    { R"({"path": "/Api/saveToolLog", "redirects": 2, "status": 404, "body": "x"})", 404, L"untouched" },
};

TEST_F(HttpClientTest, OnlyA200AnswerFillsTheBuffer)
{
    for (const StatusCase& c : kStatusCases) {
        SCOPED_TRACE(c.control);
        m_server.Reset();
        m_server.Control(c.control);
        std::wstring response;
        EXPECT_EQ(Post(response), c.status);
        EXPECT_EQ(response, c.response);
    }
}

TEST_F(HttpClientTest, TheBodyIsCutAtTheCapacityAndTerminated)
{
    m_server.Control(R"({"path": "/Api/saveToolLog", "status": 200, "body": "0123456789"})");
    std::wstring response;
    EXPECT_EQ(Post(response, { { "a", "1" } }, 4), 200);
    EXPECT_EQ(response, L"012");
}

TEST_F(HttpClientTest, ACutFirstAttemptLeavesItsBytesBeforeTheWholeBody)
{
    m_server.Control(
        R"({"path": "/Api/saveToolLog", "status": 200, "body": "abcdefghij0", "cut_after": 4, "cut_times": 1})");
    std::wstring response;
    EXPECT_EQ(Post(response), 200);
    EXPECT_EQ(response, L"abcdabcdefghij0");
    EXPECT_EQ(m_server.ReceivedJson().size(), 2u);
}

TEST_F(HttpClientTest, NoServerMeansStatusZeroAndAnUntouchedBuffer)
{
    HttpClient client;
    std::wstring base = L"http://127.0.0.1:" + std::to_wstring(kestrova::test::UnusedLocalPort());
    ASSERT_EQ(client.Init(base.c_str(), L""), 0);
    wchar_t buffer[16] = L"untouched";
    EXPECT_EQ(client.PostForm(kPath, { { "a", "1" } }, buffer, 16), 0);
    EXPECT_STREQ(buffer, L"untouched");
}

TEST_F(HttpClientTest, ASlowServerTimesOutOnEveryAttempt)
{
    m_server.Control(R"({"path": "/Api/saveToolLog", "delay": 6.0})");
    std::wstring response;
    EXPECT_EQ(Post(response), 0);
    EXPECT_EQ(response, L"untouched");
    EXPECT_EQ(m_server.ReceivedJson().size(), 3u);
}

TEST_F(HttpClientTest, BadArgumentsAreRejected)
{
    wchar_t buffer[8] = L"x";
    EXPECT_EQ(m_client.PostForm(nullptr, {}, buffer, 8), -1);
    EXPECT_EQ(m_client.PostForm(kPath, {}, nullptr, 8), -1);
    EXPECT_EQ(m_client.PostForm(kPath, {}, buffer, 0), -1);
    HttpClient fresh;
    EXPECT_EQ(fresh.Init(nullptr, L""), -1);
    EXPECT_EQ(fresh.Init(L"http://x", nullptr), -1);
    EXPECT_TRUE(m_server.ReceivedJson().empty());
}

TEST(HttpClientHttps, ASelfSignedCertificateIsAccepted)
{
    ProxyEnvironment environment;
    TempDir dir("https");
    std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=kestrova.test -keyout '" +
        dir.File("key.pem") + "' -out '" + dir.File("cert.pem") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "openssl cannot make a certificate here";
    ToolsServer server(dir.Path(), "--cert " + dir.File("cert.pem") + " --key " + dir.File("key.pem"));
    ASSERT_EQ(server.BaseUrl().rfind("https://", 0), 0u);
    HttpClient client;
    ASSERT_EQ(client.Init(server.BaseUrlW().c_str(), L""), 0);
    wchar_t buffer[260] = {};
    EXPECT_EQ(client.PostForm(kPath, { { "a", "1" } }, buffer, 260), 200);
    EXPECT_STREQ(buffer, L"0");
}

TEST(HttpClientInstance, IsOneClientForTheProcess)
{
    EXPECT_EQ(&HttpClient::GetInstance(), &HttpClient::GetInstance());
}

} // namespace
