// NetBIOS over the host's network adapters: enough of the interface to
// enumerate adapters, reset one and read an adapter's status, which starts
// with its MAC address.
//
// The LANA numbers are the adapters that have a hardware address of six
// non-zero bytes and are not loopback, in ascending order of their
// interface index (stable while the adapters stay). They are read through
// getifaddrs, which answers for the caller's own network namespace.
#include <nb30.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>

namespace {

struct Adapter {
    int index;
    std::array<UCHAR, 6> address;
};

std::vector<Adapter> ListAdapters()
{
    std::vector<Adapter> adapters;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return adapters;
    for (ifaddrs* item = list; item; item = item->ifa_next) {
        if (!item->ifa_addr || item->ifa_addr->sa_family != AF_PACKET || (item->ifa_flags & IFF_LOOPBACK))
            continue;
        auto* link = reinterpret_cast<sockaddr_ll*>(item->ifa_addr);
        if (link->sll_halen != 6)
            continue;
        Adapter adapter { link->sll_ifindex, {} };
        std::memcpy(adapter.address.data(), link->sll_addr, 6);
        bool allZero = std::all_of(adapter.address.begin(), adapter.address.end(), [](UCHAR b) { return b == 0; });
        if (!allZero)
            adapters.push_back(adapter);
    }
    freeifaddrs(list);
    std::sort(adapters.begin(), adapters.end(), [](const Adapter& a, const Adapter& b) { return a.index < b.index; });
    return adapters;
}

UCHAR Finish(PNCB ncb, UCHAR code)
{
    ncb->ncb_retcode = code;
    ncb->ncb_cmd_cplt = code;
    return code;
}

UCHAR Enumerate(PNCB ncb)
{
    if (!ncb->ncb_buffer || ncb->ncb_length < 1)
        return Finish(ncb, NRC_BUFLEN);
    auto adapters = ListAdapters();
    LANA_ENUM lanas;
    std::memset(&lanas, 0, sizeof lanas);
    lanas.length = static_cast<UCHAR>(std::min<size_t>(adapters.size(), MAX_LANA));
    for (UCHAR i = 0; i < lanas.length; ++i)
        lanas.lana[i] = i;
    // The record is 256 bytes but holds at most 254 numbers, so a buffer of
    // 255 bytes is enough; only what fits is written.
    size_t needed = 1 + static_cast<size_t>(lanas.length);
    std::memcpy(ncb->ncb_buffer, &lanas, std::min<size_t>(ncb->ncb_length, sizeof lanas));
    return Finish(ncb, ncb->ncb_length >= needed ? NRC_GOODRET : NRC_BUFLEN);
}

UCHAR Reset(PNCB ncb)
{
    auto adapters = ListAdapters();
    if (ncb->ncb_lana_num >= adapters.size())
        return Finish(ncb, NRC_BRIDGE);
    return Finish(ncb, NRC_GOODRET);
}

UCHAR AdapterStatus(PNCB ncb)
{
    auto adapters = ListAdapters();
    if (ncb->ncb_lana_num >= adapters.size())
        return Finish(ncb, NRC_BRIDGE);
    if (!ncb->ncb_buffer || ncb->ncb_length < sizeof(ADAPTER_STATUS))
        return Finish(ncb, NRC_BUFLEN);

    // The adapter holds no NetBIOS names of its own, so the record stands
    // alone, with a count of zero names after it.
    ADAPTER_STATUS status;
    std::memset(&status, 0, sizeof status);
    std::memcpy(status.adapter_address, adapters[ncb->ncb_lana_num].address.data(), 6);
    status.rev_major = 3;
    status.adapter_type = 0xFE; // Ethernet
    status.max_dgram_size = 1464;
    status.max_cfg_sess = 64;
    status.max_sess = 64;
    status.max_sess_pkt_size = 1460;
    status.name_count = 0;
    std::memcpy(ncb->ncb_buffer, &status, sizeof status);
    ncb->ncb_length = sizeof status;
    return Finish(ncb, NRC_GOODRET);
}

} // namespace

UCHAR APIENTRY Netbios(PNCB pncb)
{
    if (!pncb)
        return NRC_INVADDRESS;
    if (pncb->ncb_command & ASYNCH)
        return Finish(pncb, NRC_ILLCMD);
    switch (pncb->ncb_command) {
    case NCBENUM:
        return Enumerate(pncb);
    case NCBRESET:
        return Reset(pncb);
    case NCBASTAT:
        return AdapterStatus(pncb);
    default:
        return Finish(pncb, NRC_ILLCMD);
    }
}
