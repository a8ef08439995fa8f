// Proxy resolution through a configuration script: the script's answer turned
// into a WinHTTP proxy list, the standard helper functions, and scripts that
// fail to load, fail to run or never end.
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include <errhandlingapi.h>
#include <heapapi.h>
#include <winerror.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <chrono>

using kestrova::test::TempDir;

namespace {

struct Answer {
    BOOL ok;
    DWORD error;
    DWORD accessType;
    std::wstring list;
};

Answer Resolve(const std::wstring& scriptUrl, const wchar_t* url = L"http://www.example.com:8080/path")
{
    HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    EXPECT_NE(session, nullptr);
    WINHTTP_AUTOPROXY_OPTIONS options {};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl.c_str();
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info {};
    Answer answer {};
    answer.ok = WinHttpGetProxyForUrl(session, url, &options, &info);
    answer.error = answer.ok ? 0 : GetLastError();
    answer.accessType = info.dwAccessType;
    answer.list = info.lpszProxy ? info.lpszProxy : L"";
    GlobalFree(info.lpszProxy);
    GlobalFree(info.lpszProxyBypass);
    WinHttpCloseHandle(session);
    return answer;
}

class PacScriptTest : public testing::Test {
protected:
    std::wstring ScriptUrl(const std::string& body)
    {
        std::string path = m_dir.File("proxy" + std::to_string(m_count++) + ".pac");
        kestrova::test::WriteFileBytes(path, body);
        return L"file://" + std::wstring(path.begin(), path.end());
    }

    TempDir m_dir { "pac" };
    int m_count = 0;
};

struct AnswerCase {
    const char* script;
    DWORD accessType;
    const wchar_t* list;
};

// What FindProxyForURL returns, and the list WinHTTP makes of it.
const AnswerCase kAnswerCases[] = {
    { "return 'DIRECT';", WINHTTP_ACCESS_TYPE_NO_PROXY, L"" },
    { "return '';", WINHTTP_ACCESS_TYPE_NO_PROXY, L"" },
    { "return 'PROXY a:1';", WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"a:1" },
    { "return 'PROXY a:1; PROXY b:2; DIRECT';", WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"a:1;b:2" },
    { "return 'PROXY p1:80;PROXY p2:80';", WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"p1:80;p2:80" },
    { "return 'proxy a:1 ; socks5 s:9';", WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"a:1;socks=s:9" },
    { "return 'HTTPS h:443';", WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"h:443" },
    // The arguments: the URL as given, and its host alone.
    { "return url === 'http://www.example.com:8080/path' && host === 'www.example.com' ? 'PROXY ok:1' : 'DIRECT';",
      WINHTTP_ACCESS_TYPE_NAMED_PROXY, L"ok:1" },
};

TEST_F(PacScriptTest, TheAnswerBecomesTheProxyList)
{
    for (const AnswerCase& c : kAnswerCases) {
        SCOPED_TRACE(c.script);
        Answer answer = Resolve(ScriptUrl(std::string("function FindProxyForURL(url, host) { ") + c.script + " }"));
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(answer.accessType, c.accessType);
        EXPECT_EQ(answer.list, c.list);
    }
}

// Each helper expression must be true; the script answers with the first one
// that is not.
const char* const kHelperChecks[] = {
    "isPlainHostName('intranet')",
    "!isPlainHostName('www.example.com')",
    "dnsDomainIs('www.example.com', '.example.com')",
    "!dnsDomainIs('www.example.org', '.example.com')",
    "localHostOrDomainIs('www', 'www.example.com')",
    "localHostOrDomainIs('www.example.com', 'www.example.com')",
    "!localHostOrDomainIs('www.other.com', 'www.example.com')",
    "dnsDomainLevels('www.example.com') === 2",
    "dnsDomainLevels('www') === 0",
    "shExpMatch('http://a.example.com/x', '*.example.com/*')",
    "shExpMatch('abc', 'a?c')",
    "!shExpMatch('a.c', 'a\\\\.c')",
    "!shExpMatch('abc', 'a.c')",
    "isInNet('10.1.2.3', '10.0.0.0', '255.0.0.0')",
    "!isInNet('11.1.2.3', '10.0.0.0', '255.0.0.0')",
    "isInNet('localhost', '127.0.0.0', '255.0.0.0')",
    "dnsResolve('127.0.0.1') === '127.0.0.1'",
    "isResolvable('localhost')",
    "typeof myIpAddress() === 'string' && myIpAddress().split('.').length === 4",
    "weekdayRange('SUN', 'SAT')",
    "weekdayRange('SAT', 'FRI', 'GMT')",
    "dateRange(1, 31)",
    "dateRange('JAN', 'DEC')",
    "dateRange(1970, 2999)",
    "!dateRange(1970, 1971)",
    "dateRange(1, 'JAN', 1970, 31, 'DEC', 2999, 'GMT')",
    "timeRange(0, 24)",
    "timeRange(0, 0, 0, 23, 59, 59, 'GMT')",
    "!timeRange()",
};

TEST_F(PacScriptTest, TheStandardHelpersAnswerAsBrowsersDo)
{
    std::string script = "var checks = [\n";
    for (const char* check : kHelperChecks)
        script += "  function () { return " + std::string(check) + "; },\n";
    script += "];\nvar texts = [\n";
    for (const char* check : kHelperChecks) {
        script += "  '";
        for (const char* p = check; *p; ++p)
            script += (*p == '\'' || *p == '\\') ? std::string("\\") + *p : std::string(1, *p);
        script += "',\n";
    }
    script += "];\nfunction FindProxyForURL(url, host) {\n"
              "  for (var i = 0; i < checks.length; ++i)\n"
              "    if (!checks[i]()) return 'PROXY failed:' + (i + 1);\n"
              "  return 'DIRECT';\n}\n";
    Answer answer = Resolve(ScriptUrl(script));
    ASSERT_TRUE(answer.ok) << answer.error;
    EXPECT_EQ(answer.list, L"") << "helper check number after 'failed:' did not hold";
}

struct FailureCase {
    const char* name;
    const char* script;
};

const FailureCase kBadScripts[] = {
    { "syntax error", "function FindProxyForURL(url, host) { return 'DIRECT' " },
    { "no FindProxyForURL", "function Other() { return 'DIRECT'; }" },
    { "throws", "function FindProxyForURL(url, host) { throw new Error('no'); }" },
    { "not a string", "function FindProxyForURL(url, host) { return 42; }" },
    { "unknown keyword", "function FindProxyForURL(url, host) { return 'TUNNEL a:1'; }" },
    { "keyword without a proxy", "function FindProxyForURL(url, host) { return 'PROXY'; }" },
    { "endless allocation", "function FindProxyForURL(url, host) { var a = []; for (;;) a.push(new Array(1000)); }" },
    { "deep recursion", "function f(n) { return f(n + 1) + 1; } function FindProxyForURL(url, host) { return f(0); }" },
    { "binary garbage", "\x01\xff\xfe\x00\x80 function" },
};

TEST_F(PacScriptTest, AScriptThatFailsToRunIsABadScript)
{
    for (const FailureCase& c : kBadScripts) {
        SCOPED_TRACE(c.name);
        Answer answer = Resolve(ScriptUrl(c.script));
        EXPECT_FALSE(answer.ok);
        EXPECT_EQ(answer.error, static_cast<DWORD>(ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT));
    }
}

TEST_F(PacScriptTest, AnEndlessLoopIsStoppedByTheTimeLimit)
{
    auto start = std::chrono::steady_clock::now();
    Answer answer = Resolve(ScriptUrl("function FindProxyForURL(url, host) { for (;;) {} }"));
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, static_cast<DWORD>(ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT));
    EXPECT_LT(seconds, 20.0);
}

TEST_F(PacScriptTest, AScriptThatCannotBeFetchedFailsToDownload)
{
    EXPECT_EQ(Resolve(L"file:///nonexistent/kestrova/proxy.pac").error,
              static_cast<DWORD>(ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT));
    std::wstring closed = L"http://127.0.0.1:" + std::to_wstring(kestrova::test::UnusedLocalPort()) + L"/proxy.pac";
    EXPECT_EQ(Resolve(closed).error, static_cast<DWORD>(ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT));
}

TEST_F(PacScriptTest, AScriptIsFetchedOverHttp)
{
    kestrova::test::ToolsServer server(m_dir.Path());
    kestrova::test::WriteFileBytes(m_dir.File("wpad.dat"), "function FindProxyForURL(u, h) { return 'PROXY w:8'; }");
    Answer answer = Resolve(server.BaseUrlW() + L"/uploads/tools/netframework/wpad.dat");
    ASSERT_TRUE(answer.ok) << answer.error;
    EXPECT_EQ(answer.list, L"w:8");
    // An error page is not a script.
    EXPECT_EQ(Resolve(server.BaseUrlW() + L"/uploads/tools/netframework/none.dat").error,
              static_cast<DWORD>(ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT));
}

TEST(WinHttpSession, StaleHandlesAndBadArgumentsFail)
{
    HINTERNET session = WinHttpOpen(L"agent", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    WINHTTP_AUTOPROXY_OPTIONS options {};
    WINHTTP_PROXY_INFO info {};
    EXPECT_FALSE(WinHttpGetProxyForUrl(session, L"http://a/", &options, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(WinHttpCloseHandle(session));
    EXPECT_FALSE(WinHttpCloseHandle(session));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = L"file:///x.pac";
    EXPECT_FALSE(WinHttpGetProxyForUrl(session, L"http://a/", &options, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
