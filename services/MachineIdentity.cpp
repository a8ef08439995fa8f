// The machine's MAC address through NetBIOS, and the launching process
// through the native process information call.
#include "services/MachineIdentity.h"

#include <nb30.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>

namespace {

// The adapter status record is followed by room for the adapter's names.
struct AdapterStatusBuffer {
    ADAPTER_STATUS adapter;
    NAME_BUFFER names[30];
};

typedef NTSTATUS(NTAPI* NtQueryInformationProcessFunction)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

} // namespace

int GetMacAddress(char* mac)
{
    if (!mac)
        return NRC_BUFLEN;

    // Pass 1: enumerate the LANA numbers. The buffer is cleared first, so an
    // empty enumeration leaves LANA 0 as its first entry.
    NCB ncb;
    LANA_ENUM lanas;
    std::memset(&ncb, 0, sizeof(ncb));
    std::memset(&lanas, 0, sizeof(lanas));
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
    ncb.ncb_length = sizeof(lanas);
    UCHAR code = Netbios(&ncb);
    if (code != NRC_GOODRET)
        return code;

    // Pass 2: reset the LANAs in order until one accepts.
    for (UCHAR i = 0; i < lanas.length; ++i) {
        std::memset(&ncb, 0, sizeof(ncb));
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[i];
        code = Netbios(&ncb);
        if (code == NRC_GOODRET)
            break;
    }
    if (lanas.length > 0 && code != NRC_GOODRET)
        return code;

    // Pass 3: the status of the first enumerated LANA (whichever one reset)
    // carries the adapter's address in its first six bytes.
    AdapterStatusBuffer status;
    std::memset(&ncb, 0, sizeof(ncb));
    std::memset(&status, 0, sizeof(status));
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lanas.lana[0];
    ncb.ncb_callname[0] = '*';
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&status);
    ncb.ncb_length = sizeof(status);
    code = Netbios(&ncb);
    if (code != NRC_GOODRET)
        return code;

    const UCHAR* address = status.adapter.adapter_address;
    std::snprintf(mac, 18, "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1], address[2], address[3],
                  address[4], address[5]);
    return 0;
}

int GetParentProcessId(DWORD processId)
{
    // The call is not part of the documented API, so it is looked up at run
    // time and its absence is an ordinary failure.
    HMODULE ntdll = GetModuleHandleW(L"ntdll");
    if (!ntdll)
        return -1;
    auto query = reinterpret_cast<NtQueryInformationProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
    if (!query)
        return -1;

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return -1;
    PROCESS_BASIC_INFORMATION information;
    std::memset(&information, 0, sizeof(information));
    ULONG returned = 0;
    NTSTATUS status = query(process, ProcessBasicInformation, &information, sizeof(information), &returned);
    // The record's last field is the id of the creating process.
    int parent = status == 0 ? static_cast<int>(information.InheritedFromUniqueProcessId) : -1;
    CloseHandle(process);
    return parent;
}

void GetProcessImagePath(DWORD processId, std::string& path)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return;
    char name[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExA(process, NULL, name, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        path = name;
    CloseHandle(process);
}

void GetLauncherImagePath(char* path)
{
    if (!path)
        return;
    path[0] = '\0';
    int parent = GetParentProcessId(GetCurrentProcessId());
    if (parent <= 0)
        return;
    std::string image;
    GetProcessImagePath(static_cast<DWORD>(parent), image);
    std::snprintf(path, MAX_PATH, "%s", image.c_str());
}
