#include "services/MachineIdentity.h"

#include "services/EventRecord.h"

#include <layer/ModuleExports.h>
#include <layer/PathMapping.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <unistd.h>

namespace {

// The MAC texts of this network namespace's adapters, loopback and all-zero
// addresses left out, as the kernel reports them.
std::set<std::string> AdapterMacTexts()
{
    std::set<std::string> texts;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return texts;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        auto* link = reinterpret_cast<sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6)
            continue;
        const unsigned char* a = link->sll_addr;
        if ((a[0] | a[1] | a[2] | a[3] | a[4] | a[5]) == 0)
            continue;
        char text[18];
        std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        texts.insert(text);
    }
    freeifaddrs(list);
    return texts;
}

// The MAC text is one of the adapters' addresses; without an adapter the
// text stays empty and a NetBIOS code says why.
TEST(MachineIdentityTest, MacTextMatchesTheAdapters)
{
    std::set<std::string> adapters = AdapterMacTexts();
    char mac[MAX_PATH] = {};
    int code = GetMacAddress(mac);
    if (adapters.empty()) {
        EXPECT_NE(code, 0);
        EXPECT_STREQ(mac, "");
        return;
    }
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << mac;
    EXPECT_EQ(adapters.count(mac), 1u) << mac;
}

// Runs the test above again in a network namespace of its own, which has
// no adapter but loopback.
TEST(MachineIdentityTest, NoAdapterInAnEmptyNetworkNamespace)
{
    if (std::system("unshare -rn true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unshare -rn is refused here: no empty network namespace to test in";
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = "unshare -rn '" + self
        + "' --gtest_filter=MachineIdentityTest.MacTextMatchesTheAdapters >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(MachineIdentityTest, ParentProcess)
{
    EXPECT_EQ(GetParentProcessId(GetCurrentProcessId()), static_cast<int>(getppid()));
    EXPECT_EQ(GetParentProcessId(0x7ffffff0), -1);

    std::string path = "unchanged";
    GetProcessImagePath(0x7ffffff0, path);
    EXPECT_EQ(path, "unchanged");
}

// The launcher is this test program's parent (the test runner or a shell).
TEST(MachineIdentityTest, LauncherIsTheParentsExecutable)
{
    char launcher[MAX_PATH] = {};
    GetLauncherImagePath(launcher);
    ASSERT_NE(launcher[0], '\0');
    std::filesystem::path parent = std::filesystem::read_symlink("/proc/" + std::to_string(getppid()) + "/exe");
    EXPECT_TRUE(std::filesystem::equivalent(win32::MapWindowsPath(launcher), parent)) << launcher;
}

// Without the native call (as on a system that lacks it) there is no
// launcher, and the tool is named after its own executable.
TEST(MachineIdentityTest, WithoutTheNativeCallTheToolNamesItself)
{
    ASSERT_TRUE(win32::SetBuiltinExportHidden("ntdll", "NtQueryInformationProcess", true));
    EXPECT_EQ(GetParentProcessId(GetCurrentProcessId()), -1);
    char launcher[MAX_PATH] = {};
    GetLauncherImagePath(launcher);
    EXPECT_STREQ(launcher, "");
    std::string ename, runid;
    ParseToolIdentity(ename, runid);
    win32::SetBuiltinExportHidden("ntdll", "NtQueryInformationProcess", false);

    EXPECT_EQ(ename, std::filesystem::read_symlink("/proc/self/exe").stem().string());
    EXPECT_EQ(runid, "");
}

} // namespace
