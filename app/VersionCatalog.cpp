#include "app/VersionCatalog.h"

#include <windows.h>

const std::vector<std::wstring> VersionDisplayNames = {
    L".NET Framework 2.0", L".NET Framework 3.0", L".NET Framework 3.5",
    L".NET Framework 4.0", L".NET Framework 4.5", L".NET Framework 4.6",
};

const std::vector<std::string> InstallerFileNames = {
    "NetFx20SP2_x64.exe",
    "dotnetfx3.exe",
    "dotnetfx35.exe",
    "dotNetFx40_Full_x86_x64.exe",
    "NDP452-KB2901907-x86-x64-AllOS-ENU.exe",
    "NDP462-KB3151800-x86-x64-AllOS-ENU.exe",
};

namespace {

const char kNetFx20For32Bit[] = "NetFx20SP2_x86.exe";

} // namespace

bool IsCatalogPosition(int position)
{
    return position >= 1 && position <= kVersionCount;
}

bool GetVersionDisplayName(int position, std::wstring& name)
{
    name.clear();
    if (!IsCatalogPosition(position))
        return false;
    name = VersionDisplayNames[static_cast<size_t>(position - 1)];
    return true;
}

bool GetInstallerFileName(int position, std::string& file)
{
    file.clear();
    if (!IsCatalogPosition(position))
        return false;
    file = InstallerFileNames[static_cast<size_t>(position - 1)];
    // Only 2.0 has a package per architecture; the others serve both.
    if (position == 1 && !IsWow64())
        file = kNetFx20For32Bit;
    return true;
}

bool IsWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    // The flag starts false and the call's own answer is not looked at: a
    // failing call counts as 32-bit Windows.
    BOOL wow64 = FALSE;
    if (isWow64Process)
        isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}
