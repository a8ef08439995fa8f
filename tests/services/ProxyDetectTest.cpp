// Proxy detection of HttpClient: the user's settings (driven through the
// environment and a stand-in for the desktop's settings command) and
// configuration scripts turned into the proxy text and flags.
#include "../platform/win32/ProxyEnvironment.h"
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include "services/HttpClient.h"

#include <layer/DebugOutput.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using kestrova::test::ProxyEnvironment;
using kestrova::test::TempDir;

namespace {

struct Decision {
    std::string proxy;
    bool http, https, socks;
};

bool operator==(const Decision& a, const Decision& b)
{
    return a.proxy == b.proxy && a.http == b.http && a.https == b.https && a.socks == b.socks;
}

std::ostream& operator<<(std::ostream& out, const Decision& d)
{
    return out << "{\"" << d.proxy << "\", http " << d.http << ", https " << d.https << ", socks " << d.socks << "}";
}

Decision Detect(HttpClient& client)
{
    EXPECT_EQ(client.DetectProxy(), 0);
    return { client.Proxy(), client.HttpProxyFound(), client.HttpsProxyFound(), client.SocksProxyFound() };
}

struct DetectCase {
    const char* name;
    const wchar_t* baseUrl;
    std::vector<std::pair<std::string, std::string>> variables;
    Decision expected;
};

const DetectCase kDetectCases[] = {
    { "a bare entry is an ordinary http proxy", L"http://tools.example:80",
      { { "all_proxy", "http://host1:8080" } }, { "host1:8080", true, false, false } },
    { "the http entry for an http base", L"http://tools.example",
      { { "http_proxy", "h1:80" }, { "https_proxy", "h2:443" } }, { "h1:80", true, false, false } },
    { "the https entry for an https base", L"https://tools.example",
      { { "http_proxy", "h1:80" }, { "https_proxy", "h2:443" } }, { "h2:443", false, true, false } },
    { "socks only, used as SOCKS5", L"http://tools.example",
      { { "all_proxy", "socks5://s1:1080" } }, { "s1:1080", false, false, true } },
    { "an ftp entry alone selects nothing", L"http://tools.example",
      { { "ftp_proxy", "f1:21" } }, { "", false, false, false } },
    { "a bypass entry that starts the host", L"http://127.0.0.1:8731",
      { { "http_proxy", "h1:80" }, { "no_proxy", "10.,127.0" } }, { "", true, false, false } },
    { "a bypass entry with a wildcard never matches", L"http://127.0.0.1:8731",
      { { "http_proxy", "h1:80" }, { "no_proxy", "*.0.0.1,*" } }, { "h1:80", true, false, false } },
    { "bypass is case-sensitive", L"http://Tools.example",
      { { "http_proxy", "h1:80" }, { "no_proxy", "tools" } }, { "h1:80", true, false, false } },
    { "an ftp base with a bare entry falls to socks", L"ftp://files.example",
      { { "all_proxy", "p:1" } }, { "p:1", false, false, true } },
    { "no settings at all", L"http://tools.example", {}, { "", false, false, false } },
};

TEST(ProxyDetect, TheUsersSettingsDecideTheProxy)
{
    for (const DetectCase& c : kDetectCases) {
        SCOPED_TRACE(c.name);
        ProxyEnvironment environment(c.variables);
        HttpClient client;
        ASSERT_EQ(client.Init(c.baseUrl, L""), 0);
        EXPECT_EQ(Detect(client), c.expected);
    }
}

TEST(ProxyDetect, APassWithoutAListKeepsThePreviousChoice)
{
    HttpClient client;
    ASSERT_EQ(client.Init(L"http://tools.example", L""), 0);
    {
        ProxyEnvironment environment(kestrova::test::ProxyVariables { { "http_proxy", "h1:80" } });
        EXPECT_EQ(Detect(client), (Decision { "h1:80", true, false, false }));
    }
    ProxyEnvironment none;
    EXPECT_EQ(Detect(client), (Decision { "h1:80", true, false, false }));
}

TEST(ProxyDetect, GetUrlSchemeTakesTheFirstPiece)
{
    const std::pair<const wchar_t*, int> cases[] = {
        { L"ftp://a", 0 }, { L"http://a", 1 }, { L"https://a", 2 }, { L"HTTP://a", 3 }, { L"gopher://a", 3 },
        { L"", 3 }, { nullptr, 3 }, { L"://http", 1 }, { L"//https:", 2 }, { L":::", 3 },
    };
    for (auto& [url, scheme] : cases)
        EXPECT_EQ(HttpClient::GetUrlScheme(url), scheme) << (url ? url : L"(null)");
}

// Configuration scripts reach detection through the desktop's settings: a
// stand-in gsettings command names a file:// script.
class ProxyScriptTest : public testing::Test {
protected:
    void UseScript(const std::string& body)
    {
        std::string script = m_dir.File("proxy.pac");
        kestrova::test::WriteFileBytes(script, body);
        kestrova::test::WriteFileBytes(m_dir.File("gsettings"),
                                       "#!/bin/sh\necho \"org.gnome.system.proxy mode 'auto'\"\n"
                                       "echo \"org.gnome.system.proxy autoconfig-url 'file://" +
                                           script + "'\"\n");
        chmod(m_dir.File("gsettings").c_str(), 0755);
        setenv("KESTROVA_GSETTINGS", m_dir.File("gsettings").c_str(), 1);
    }

    ProxyEnvironment m_environment;
    TempDir m_dir { "proxyscript" };
};

TEST_F(ProxyScriptTest, TheLaterOfTwoBareAnswersIsChosen)
{
    UseScript("function FindProxyForURL(url, host) { return 'PROXY p1:80; PROXY p2:80'; }");
    HttpClient client;
    ASSERT_EQ(client.Init(L"http://tools.example", L""), 0);
    EXPECT_EQ(Detect(client), (Decision { "p2:80", true, false, false }));
}

TEST_F(ProxyScriptTest, ADirectAnswerChangesNothing)
{
    HttpClient client;
    ASSERT_EQ(client.Init(L"http://tools.example", L""), 0);
    {
        ProxyEnvironment environment(kestrova::test::ProxyVariables { { "http_proxy", "h1:80" } });
        Detect(client);
    }
    UseScript("function FindProxyForURL(url, host) { return 'DIRECT'; }");
    EXPECT_EQ(Detect(client), (Decision { "h1:80", true, false, false }));
}

TEST_F(ProxyScriptTest, AFailingScriptLeavesTheUsersOwnList)
{
    UseScript("function FindProxyForURL(url, host) { throw 1; }");
    HttpClient client;
    ASSERT_EQ(client.Init(L"http://tools.example", L""), 0);
    win32::TakeDebugOutput();
    EXPECT_EQ(Detect(client), (Decision { "", false, false, false }));
    EXPECT_EQ(win32::TakeDebugOutput(), (std::vector<std::string> { "WinHttpGetProxyForUrl 12166\n" }));

    // A script that cannot be fetched at all takes the same path.
    kestrova::test::WriteFileBytes(m_dir.File("gsettings"),
                                   "#!/bin/sh\necho \"org.gnome.system.proxy mode 'auto'\"\n"
                                   "echo \"org.gnome.system.proxy autoconfig-url 'file:///nonexistent.pac'\"\n");
    setenv("KESTROVA_GSETTINGS", m_dir.File("gsettings").c_str(), 1);
    EXPECT_EQ(Detect(client), (Decision { "", false, false, false }));
    EXPECT_EQ(win32::TakeDebugOutput(), (std::vector<std::string> { "WinHttpGetProxyForUrl 12167\n" }));
}

TEST(ProxyDetectPost, ARequestGoesThroughTheChosenProxy)
{
    // The tools server stands in as the proxy: the request for an unreachable
    // base URL arrives there, in proxy form.
    TempDir root("proxy");
    kestrova::test::ToolsServer proxy(root.Path());
    ProxyEnvironment environment(kestrova::test::ProxyVariables { { "http_proxy", proxy.BaseUrl() } });
    HttpClient client;
    ASSERT_EQ(client.Init(L"http://tools.invalid", L""), 0);
    wchar_t buffer[64] = {};
    client.PostForm(L"/Api/saveToolLog", { { "a", "1" } }, buffer, 64);
    Json::Value received = proxy.ReceivedJson();
    ASSERT_GE(received.size(), 1u);
    EXPECT_NE(received[0]["path"].asString().find("tools.invalid"), std::string::npos);
}

} // namespace
