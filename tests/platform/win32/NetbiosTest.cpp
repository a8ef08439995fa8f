// NetBIOS adapter queries, run in a fresh network namespace of a child
// process so that the adapters are exactly those the test creates.
#include <nb30.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

UCHAR Command(UCHAR command, UCHAR lana, void* buffer, WORD length)
{
    NCB ncb;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = command;
    ncb.ncb_lana_num = lana;
    ncb.ncb_buffer = static_cast<UCHAR*>(buffer);
    ncb.ncb_length = length;
    if (command == NCBASTAT)
        ncb.ncb_callname[0] = '*';
    UCHAR code = Netbios(&ncb);
    return code == ncb.ncb_retcode ? code : 0xEE;
}

// Runs check in a child inside a new network namespace. The child's exit
// status is the check's: 0 for success, 77 when namespaces are refused.
template <class Check>
int InFreshNetworkNamespace(Check check)
{
    pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNET) != 0)
            _exit(77);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(Netbios, RecordLayoutsAreThoseOf64BitWindows)
{
    EXPECT_EQ(sizeof(NCB), 96u);
    EXPECT_EQ(sizeof(LANA_ENUM), 256u);
    EXPECT_EQ(sizeof(ADAPTER_STATUS), 60u);
    EXPECT_EQ(sizeof(NAME_BUFFER), 18u);
}

TEST(Netbios, WithoutAdaptersTheEnumerationIsEmptyAndTheStatusQueryFails)
{
    int result = InFreshNetworkNamespace([] {
        LANA_ENUM lanas;
        std::memset(&lanas, 0xAA, sizeof lanas);
        if (Command(NCBENUM, 0, &lanas, sizeof lanas) != NRC_GOODRET)
            return 1;
        if (lanas.length != 0)
            return 2;
        if (Command(NCBRESET, 0, nullptr, 0) == NRC_GOODRET)
            return 3;
        unsigned char status[600] = {};
        if (Command(NCBASTAT, lanas.lana[0], status, sizeof status) == NRC_GOODRET)
            return 4;
        return 0;
    });
    if (result == 77)
        GTEST_SKIP() << "network namespaces are refused here";
    EXPECT_EQ(result, 0);
}

TEST(Netbios, StatusOfTheFirstAdapterStartsWithItsMacAddress)
{
    int result = InFreshNetworkNamespace([] {
        // Two adapters, in the order of their creation.
        // Any virtual adapter with a settable address serves; not every
        // kernel has the dummy driver, most have the bridge.
        if (std::system("{ ip link add kva type dummy || ip link add kva type bridge; } 2>/dev/null"
                        " && ip link set kva address 02:1a:2b:3c:4d:5e"
                        " && { ip link add kvb type dummy || ip link add kvb type bridge; } 2>/dev/null"
                        " && ip link set kvb address 02:00:00:00:00:07") != 0)
            return 77;
        LANA_ENUM lanas;
        // Callers commonly pass 255 bytes: a count and up to 254 numbers.
        if (Command(NCBENUM, 0, &lanas, 255) != NRC_GOODRET || lanas.length != 2 || lanas.lana[1] != 1)
            return 1;
        if (Command(NCBRESET, lanas.lana[0], nullptr, 0) != NRC_GOODRET)
            return 2;
        unsigned char status[600] = {};
        if (Command(NCBASTAT, lanas.lana[0], status, sizeof status) != NRC_GOODRET)
            return 3;
        const unsigned char expected[6] = { 0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e };
        if (std::memcmp(status, expected, 6) != 0)
            return 4;
        if (Command(NCBASTAT, lanas.lana[0], status, 10) != NRC_BUFLEN)
            return 5;
        if (Command(NCBFINDNAME, 0, status, sizeof status) != NRC_ILLCMD)
            return 6;
        return 0;
    });
    if (result == 77)
        GTEST_SKIP() << "network namespaces or dummy adapters are refused here";
    EXPECT_EQ(result, 0);
}

} // namespace
