// Modules: the executable's file name, the built-in system modules with their
// export tables, and libraries loaded at run time through dlopen.
//
// Module handles are addresses of records the layer owns (the main module and
// the built-in ones) or dlopen handles, which the layer keeps in a registry so
// that each kind of handle is told apart without dereferencing a stranger.
#include "TextCodec.h"

#include <layer/ModuleExports.h>
#include <layer/PathMapping.h>

#include <errhandlingapi.h>
#include <libloaderapi.h>
#include <processthreadsapi.h>
#include <psapi.h>
#include <shellapi.h>
#include <winerror.h>
#include <winternl.h>
#include <wow64apiset.h>
#include <tlhelp32.h>
#include <nb30.h>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Export {
    const char* name;
    FARPROC address;
    bool hidden;
};

struct BuiltinModule {
    const char* name;  // lower case, without ".dll"
    std::vector<Export> exports;
};

template <class Function>
FARPROC AsFarProc(Function* function)
{
    // A cast through void (*)() is the sanctioned way to store a function
    // pointer as another function type; callers cast it back before calling.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

std::vector<BuiltinModule>& BuiltinModules()
{
    // Never destroyed: detached threads may look exports up while the
    // process exits.
    static auto* modules = new std::vector<BuiltinModule> {
        { "kernel32",
          {
              { "IsWow64Process", AsFarProc(&IsWow64Process), false },
              { "GetModuleHandleW", AsFarProc(&GetModuleHandleW), false },
              { "GetModuleHandleA", AsFarProc(&GetModuleHandleA), false },
              { "GetProcAddress", AsFarProc(&GetProcAddress), false },
              { "GetModuleFileNameW", AsFarProc(&GetModuleFileNameW), false },
              { "GetModuleFileNameA", AsFarProc(&GetModuleFileNameA), false },
              { "LoadLibraryW", AsFarProc(&LoadLibraryW), false },
              { "LoadLibraryA", AsFarProc(&LoadLibraryA), false },
              { "FreeLibrary", AsFarProc(&FreeLibrary), false },
              { "GetCurrentProcess", AsFarProc(&GetCurrentProcess), false },
              { "GetCurrentProcessId", AsFarProc(&GetCurrentProcessId), false },
              { "CreateToolhelp32Snapshot", AsFarProc(&CreateToolhelp32Snapshot), false },
              { "Process32FirstW", AsFarProc(&Process32FirstW), false },
              { "Process32NextW", AsFarProc(&Process32NextW), false },
              { "K32GetModuleFileNameExW", AsFarProc(&GetModuleFileNameExW), false },
              { "K32GetModuleFileNameExA", AsFarProc(&GetModuleFileNameExA), false },
          } },
        { "ntdll", { { "NtQueryInformationProcess", AsFarProc(&NtQueryInformationProcess), false } } },
        { "psapi",
          {
              { "GetModuleFileNameExW", AsFarProc(&GetModuleFileNameExW), false },
              { "GetModuleFileNameExA", AsFarProc(&GetModuleFileNameExA), false },
          } },
        { "shell32",
          {
              { "ShellExecuteW", AsFarProc(&ShellExecuteW), false },
              { "ShellExecuteA", AsFarProc(&ShellExecuteA), false },
              { "ShellExecuteExW", AsFarProc(&ShellExecuteExW), false },
          } },
        { "netapi32", { { "Netbios", AsFarProc(&Netbios), false } } },
        { "user32", {} },
        { "advapi32", {} },
    };
    return *modules;
}

// Guards the hidden flags and the registry of loaded libraries.
std::mutex& ModuleLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

// The main module's handle is the address of this object.
const char g_mainModule = 0;

HMODULE MainModuleHandle()
{
    return reinterpret_cast<HMODULE>(const_cast<char*>(&g_mainModule));
}

struct LoadedLibrary {
    void* handle;
    std::string linuxPath;
    int references;
};

std::vector<LoadedLibrary>& LoadedLibraries()
{
    static auto* libraries = new std::vector<LoadedLibrary>;
    return *libraries;
}

std::string LowerAscii(std::string text)
{
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The last component of a Windows or Linux path.
std::string BaseName(const std::string& path)
{
    auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A built-in module named like "kernel32", "KERNEL32.DLL" or
// "C:\windows\system32\kernel32.dll"; null when there is none.
BuiltinModule* FindBuiltin(const std::string& name)
{
    std::string key = LowerAscii(BaseName(name));
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0)
        key.resize(key.size() - 4);
    for (auto& module : BuiltinModules())
        if (key == module.name)
            return &module;
    return nullptr;
}

BuiltinModule* BuiltinOfHandle(HMODULE handle)
{
    for (auto& module : BuiltinModules())
        if (reinterpret_cast<HMODULE>(&module) == handle)
            return &module;
    return nullptr;
}

LoadedLibrary* LoadedOfHandleLocked(HMODULE handle)
{
    for (auto& library : LoadedLibraries())
        if (library.handle == handle)
            return &library;
    return nullptr;
}

std::string ExecutableLinuxPath()
{
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return {};
    path.resize(static_cast<size_t>(length));
    return path;
}

// The Windows form of a module's file; empty (with the last error set) for
// an unknown module.
std::string ModuleWindowsPath(HMODULE module)
{
    if (!module || module == MainModuleHandle()) {
        std::string path = ExecutableLinuxPath();
        return path.empty() ? std::string() : win32::UnmapLinuxPath(path);
    }
    if (auto* builtin = BuiltinOfHandle(module))
        return std::string("C:\\windows\\system32\\") + builtin->name + ".dll";
    std::lock_guard guard(ModuleLock());
    if (auto* library = LoadedOfHandleLocked(module))
        return win32::UnmapLinuxPath(library->linuxPath);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return {};
}

// Copies text into a buffer of size characters with the truncation rule of
// GetModuleFileName: a name that does not fit is cut to size - 1 characters
// and terminated, the answer is size and the last error
// ERROR_INSUFFICIENT_BUFFER; otherwise the answer is the length.
template <class Char>
DWORD CopyModuleName(const std::basic_string<Char>& name, Char* buffer, DWORD size)
{
    if (size == 0 || !buffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() < size) {
        std::copy(name.begin(), name.end(), buffer);
        buffer[name.size()] = 0;
        return static_cast<DWORD>(name.size());
    }
    size_t kept = size - 1;
    if constexpr (sizeof(Char) == 1) {
        // Never leave half of a UTF-8 sequence at the end.
        while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80)
            --kept;
    }
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(kept), buffer);
    buffer[kept] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

bool FileExists(const std::string& path)
{
    return !path.empty() && access(path.c_str(), F_OK) == 0;
}

HMODULE LoadLibraryUtf8(const std::string& name)
{
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (auto* builtin = FindBuiltin(name))
        return reinterpret_cast<HMODULE>(builtin);

    // Search pass: a path is mapped as written; a bare name is looked for
    // beside the executable, then in the current folder, then wherever the
    // Linux loader looks.
    std::string linuxPath;
    bool bareName = name.find_first_of("\\/:") == std::string::npos;
    if (!bareName) {
        linuxPath = win32::MapWindowsPath(name.c_str());
    } else {
        std::string exe = ExecutableLinuxPath();
        std::string besideExe = exe.substr(0, exe.find_last_of('/') + 1) + name;
        std::string inCurrent = win32::MapWindowsPath(name.c_str());
        if (FileExists(besideExe))
            linuxPath = besideExe;
        else if (FileExists(inCurrent))
            linuxPath = inCurrent;
    }
    bool found = FileExists(linuxPath);
    if (!bareName && !found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }

    // Load pass.
    void* handle = dlopen(found ? linuxPath.c_str() : name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        SetLastError(found ? ERROR_BAD_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (!found) {
        link_map* map = nullptr;
        if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name)
            linuxPath = map->l_name;
    }

    std::lock_guard guard(ModuleLock());
    auto* module = reinterpret_cast<HMODULE>(handle);
    if (auto* library = LoadedOfHandleLocked(module)) {
        // dlopen counted this load as well; FreeLibrary undoes one each.
        ++library->references;
        return module;
    }
    LoadedLibraries().push_back({ handle, linuxPath, 1 });
    return module;
}

HMODULE ModuleHandleUtf8(const std::string& name)
{
    if (auto* builtin = FindBuiltin(name))
        return reinterpret_cast<HMODULE>(builtin);
    std::string key = LowerAscii(BaseName(name));
    std::string exe = ExecutableLinuxPath();
    if (key == LowerAscii(BaseName(exe)))
        return MainModuleHandle();
    std::lock_guard guard(ModuleLock());
    for (auto& library : LoadedLibraries())
        if (LowerAscii(BaseName(library.linuxPath)) == key)
            return reinterpret_cast<HMODULE>(library.handle);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

} // namespace

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    std::string path = ModuleWindowsPath(hModule);
    if (path.empty())
        return 0;
    return CopyModuleName(path, lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    std::string path = ModuleWindowsPath(hModule);
    if (path.empty())
        return 0;
    return CopyModuleName(win32::Utf8ToWide(path), lpFilename, nSize);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    if (!lpModuleName)
        return MainModuleHandle();
    return ModuleHandleUtf8(lpModuleName);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    if (!lpModuleName)
        return MainModuleHandle();
    return ModuleHandleUtf8(win32::WideToUtf8(lpModuleName));
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    // Lookups by ordinal (a value below 0x10000 in place of a name) have no
    // meaning for these modules.
    if (!lpProcName || reinterpret_cast<UINT_PTR>(lpProcName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (auto* builtin = BuiltinOfHandle(hModule)) {
        std::lock_guard guard(ModuleLock());
        for (auto& entry : builtin->exports)
            if (!entry.hidden && std::strcmp(entry.name, lpProcName) == 0)
                return entry.address;
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* handle = nullptr;
    if (hModule == MainModuleHandle() || !hModule) {
        handle = RTLD_DEFAULT;
    } else {
        std::lock_guard guard(ModuleLock());
        if (!LoadedOfHandleLocked(hModule)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        handle = hModule;
    }
    void* address = dlsym(handle, lpProcName);
    if (!address) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName)
{
    return LoadLibraryUtf8(lpLibFileName ? lpLibFileName : "");
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    return LoadLibraryUtf8(win32::WideToUtf8(lpLibFileName));
}

HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE, DWORD)
{
    return LoadLibraryA(lpLibFileName);
}

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE, DWORD)
{
    return LoadLibraryW(lpLibFileName);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    if (BuiltinOfHandle(hLibModule) || hLibModule == MainModuleHandle())
        return TRUE;
    void* handle = nullptr;
    {
        std::lock_guard guard(ModuleLock());
        auto& libraries = LoadedLibraries();
        auto it = std::find_if(libraries.begin(), libraries.end(),
                               [&](const LoadedLibrary& library) { return library.handle == hLibModule; });
        if (it == libraries.end()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        handle = it->handle;
        if (--it->references == 0)
            libraries.erase(it);
    }
    dlclose(handle);
    return TRUE;
}

namespace win32 {

bool SetBuiltinExportHidden(const char* moduleName, const char* exportName, bool hidden)
{
    auto* module = FindBuiltin(moduleName ? moduleName : "");
    if (!module || !exportName)
        return false;
    std::lock_guard guard(ModuleLock());
    for (auto& entry : module->exports) {
        if (std::strcmp(entry.name, exportName) == 0) {
            entry.hidden = hidden;
            return true;
        }
    }
    return false;
}

} // namespace win32
