// Test hooks for the layer's built-in modules ("kernel32", "ntdll", ...).
//
// Programs look some entry points up at run time so they can run on older
// Windows versions that lack them. Hiding an export lets a test play such a
// version: GetProcAddress then answers null with ERROR_PROC_NOT_FOUND.
#pragma once

namespace win32 {

// Hides (hidden = true) or shows again an export of a built-in module. The
// module name is matched as GetModuleHandle matches it ("kernel32" or
// "KERNEL32.DLL"). Returns false when the module or export is unknown.
bool SetBuiltinExportHidden(const char* moduleName, const char* exportName, bool hidden);

} // namespace win32
