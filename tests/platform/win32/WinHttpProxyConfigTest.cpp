// The current user's proxy settings: environment variables and the desktop's
// settings turned into the WinHTTP proxy list, bypass list and script URL.
#include "ProxyEnvironment.h"
#include "support/TempDir.h"

#include <errhandlingapi.h>
#include <heapapi.h>
#include <winerror.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using kestrova::test::ProxyEnvironment;
using kestrova::test::TempDir;

namespace {

struct Settings {
    bool autoDetect;
    std::wstring script, list, bypass;
};

Settings ReadSettings()
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config {};
    EXPECT_TRUE(WinHttpGetIEProxyConfigForCurrentUser(&config));
    Settings settings { config.fAutoDetect != FALSE, config.lpszAutoConfigUrl ? config.lpszAutoConfigUrl : L"",
                        config.lpszProxy ? config.lpszProxy : L"", config.lpszProxyBypass ? config.lpszProxyBypass : L"" };
    // Absent settings are null, never empty strings.
    EXPECT_TRUE(!config.lpszProxy || *config.lpszProxy);
    EXPECT_TRUE(!config.lpszProxyBypass || *config.lpszProxyBypass);
    GlobalFree(config.lpszAutoConfigUrl);
    GlobalFree(config.lpszProxy);
    GlobalFree(config.lpszProxyBypass);
    return settings;
}

struct EnvironmentCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> variables;
    const wchar_t* list;
    const wchar_t* bypass;
};

const EnvironmentCase kEnvironmentCases[] = {
    { "nothing set", {}, L"", L"" },
    { "http only", { { "http_proxy", "http://h1:8080/" } }, L"http=h1:8080", L"" },
    { "http and https", { { "http_proxy", "h1:80" }, { "https_proxy", "https://h2" } }, L"http=h1:80;https=h2:443", L"" },
    { "socks through all_proxy", { { "all_proxy", "socks5://s1:1080" } }, L"socks=s1:1080", L"" },
    { "socks without a port", { { "all_proxy", "socks5h://s1" } }, L"socks=s1:1080", L"" },
    { "plain all_proxy applies to every scheme and comes first",
      { { "all_proxy", "http://a1:3128" }, { "http_proxy", "h1:80" } }, L"a1:3128;http=h1:80", L"" },
    { "ftp", { { "ftp_proxy", "f1:21" } }, L"ftp=f1:21", L"" },
    { "credentials and path are dropped", { { "http_proxy", "http://user:pw@h1:81/path" } }, L"http=h1:81", L"" },
    { "bracketed IPv6 keeps its port", { { "http_proxy", "http://[::1]:3128" } }, L"http=[::1]:3128", L"" },
    { "upper case is the fallback", { { "HTTP_PROXY", "up:1" } }, L"http=up:1", L"" },
    { "lower case wins", { { "HTTP_PROXY", "up:1" }, { "http_proxy", "low:2" } }, L"http=low:2", L"" },
    { "empty values count as unset", { { "http_proxy", "" }, { "HTTP_PROXY", "up:1" } }, L"http=up:1", L"" },
    { "no_proxy becomes the bypass list",
      { { "http_proxy", "h1:80" }, { "no_proxy", "localhost, 127.0.0.1,,.corp" } }, L"http=h1:80",
      L"localhost;127.0.0.1;.corp" },
    { "no_proxy alone is no proxy setting", { { "no_proxy", "localhost" } }, L"", L"" },
};

class EnvironmentSettingsTest : public testing::TestWithParam<EnvironmentCase> {
};

TEST_P(EnvironmentSettingsTest, BecomeTheProxyAndBypassLists)
{
    ProxyEnvironment environment(GetParam().variables);
    Settings settings = ReadSettings();
    EXPECT_FALSE(settings.autoDetect);
    EXPECT_EQ(settings.script, L"");
    EXPECT_EQ(settings.list, GetParam().list);
    EXPECT_EQ(settings.bypass, GetParam().bypass);
}

INSTANTIATE_TEST_SUITE_P(Table, EnvironmentSettingsTest, testing::ValuesIn(kEnvironmentCases),
                         [](const testing::TestParamInfo<EnvironmentCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A stand-in for the gsettings command that prints a fixed listing.
class GnomeSettingsTest : public testing::Test {
protected:
    void UseListing(const std::string& listing, int exitCode = 0)
    {
        std::string script = m_dir.File("gsettings");
        kestrova::test::WriteFileBytes(m_dir.File("listing"), listing);
        kestrova::test::WriteFileBytes(script, "#!/bin/sh\ncat '" + m_dir.File("listing") + "'\nexit " +
                                                   std::to_string(exitCode) + "\n");
        chmod(script.c_str(), 0755);
        setenv("KESTROVA_GSETTINGS", script.c_str(), 1);
    }

    ProxyEnvironment m_environment;
    TempDir m_dir { "gsettings" };
};

std::string GnomeListing(const std::string& mode, const std::string& extra)
{
    return "org.gnome.system.proxy autoconfig-url ''\n"
           "org.gnome.system.proxy ignore-hosts ['localhost', '127.0.0.0/8', '::1']\n"
           "org.gnome.system.proxy mode '" +
        mode +
        "'\n"
        "org.gnome.system.proxy use-same-proxy true\n"
        "org.gnome.system.proxy.ftp host ''\n"
        "org.gnome.system.proxy.ftp port 0\n"
        "org.gnome.system.proxy.http enabled false\n"
        "org.gnome.system.proxy.http host 'gh'\n"
        "org.gnome.system.proxy.http port 8080\n"
        "org.gnome.system.proxy.https host ''\n"
        "org.gnome.system.proxy.https port 0\n"
        "org.gnome.system.proxy.socks host 'gs'\n"
        "org.gnome.system.proxy.socks port 1080\n" +
        extra;
}

TEST_F(GnomeSettingsTest, ManualModeGivesTheHostsAndIgnoredHosts)
{
    UseListing(GnomeListing("manual", ""));
    Settings settings = ReadSettings();
    EXPECT_EQ(settings.list, L"http=gh:8080;socks=gs:1080");
    EXPECT_EQ(settings.bypass, L"localhost;127.0.0.0/8;::1");
    EXPECT_EQ(settings.script, L"");
}

TEST_F(GnomeSettingsTest, AutoModeGivesTheScriptOrAutoDetection)
{
    UseListing(GnomeListing("auto", "org.gnome.system.proxy autoconfig-url 'http://wpad/it\\'s.pac'\n"));
    Settings settings = ReadSettings();
    EXPECT_EQ(settings.script, L"http://wpad/it's.pac");
    EXPECT_EQ(settings.list, L"");
    EXPECT_FALSE(settings.autoDetect);

    UseListing(GnomeListing("auto", ""));
    settings = ReadSettings();
    EXPECT_TRUE(settings.autoDetect);
    EXPECT_EQ(settings.script, L"");
}

TEST_F(GnomeSettingsTest, NoneModeAFailingCommandAndTheEnvironmentWin)
{
    UseListing(GnomeListing("none", ""));
    EXPECT_EQ(ReadSettings().list, L"");

    UseListing(GnomeListing("manual", ""), 1);
    EXPECT_EQ(ReadSettings().list, L"");

    UseListing(GnomeListing("manual", ""));
    setenv("http_proxy", "env:1", 1);
    EXPECT_EQ(ReadSettings().list, L"http=env:1");
    EXPECT_EQ(ReadSettings().bypass, L"");
}

TEST(WinHttpProxyConfig, RejectsAMissingRecord)
{
    EXPECT_FALSE(WinHttpGetIEProxyConfigForCurrentUser(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
