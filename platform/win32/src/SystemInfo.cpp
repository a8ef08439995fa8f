// Facts about the machine: page size, processors, architecture.
#include <sysinfoapi.h>

#include <unistd.h>

#include <cstring>

void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo)
{
    std::memset(lpSystemInfo, 0, sizeof *lpSystemInfo);
#if defined(__x86_64__)
    lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    lpSystemInfo->dwProcessorType = 8664;
#elif defined(__aarch64__)
    lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#elif defined(__i386__)
    lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    lpSystemInfo->dwProcessorType = 586;
#else
    lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
    long pageSize = sysconf(_SC_PAGESIZE);
    lpSystemInfo->dwPageSize = pageSize > 0 ? static_cast<DWORD>(pageSize) : 4096;
    lpSystemInfo->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    lpSystemInfo->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFULL);
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    lpSystemInfo->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
    lpSystemInfo->dwActiveProcessorMask =
        lpSystemInfo->dwNumberOfProcessors >= 64 ? ~DWORD_PTR(0) : (DWORD_PTR(1) << lpSystemInfo->dwNumberOfProcessors) - 1;
    lpSystemInfo->dwAllocationGranularity = 65536;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO lpSystemInfo)
{
    GetNativeSystemInfo(lpSystemInfo);
}
