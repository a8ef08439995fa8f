// IsWow64Process: the tool is a 32-bit Windows program, so it runs under
// WOW64 exactly when the Windows it sees is 64-bit.
#include "ProcessObject.h"
#include "WinePrefix.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wow64apiset.h>

#include <sys/utsname.h>

#include <cstring>

namespace {

bool HostIs64Bit()
{
    utsname name;
    if (uname(&name) != 0)
        return sizeof(void*) == 8;
    return std::strcmp(name.machine, "x86_64") == 0 || std::strcmp(name.machine, "aarch64") == 0;
}

} // namespace

BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process)
{
    if (!Wow64Process) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (win32::ProcessIdOfHandle(hProcess) == 0)
        return FALSE;

    // A Wine prefix fixes the architecture of the Windows it holds; without
    // one, the emulated Windows matches the host.
    std::string prefix = win32::EmulatedWinePrefix();
    std::string architecture = prefix.empty() ? std::string() : win32::WinePrefixArchitecture(prefix);
    if (architecture == "win32")
        *Wow64Process = FALSE;
    else if (architecture == "win64")
        *Wow64Process = TRUE;
    else
        *Wow64Process = HostIs64Bit() ? TRUE : FALSE;
    return TRUE;
}
