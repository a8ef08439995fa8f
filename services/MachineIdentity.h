// What identifies the machine and the run in the tool's reports: the MAC
// address of the first network adapter and the executable of the process
// that started the tool. Both are read fresh at every use.
#pragma once

#include <windows.h>

#include <string>

// Writes the MAC text "XX-XX-XX-XX-XX-XX" (upper-case hexadecimal) of the
// first enumerated adapter into mac (at least 18 bytes). Returns 0, or the
// non-zero NetBIOS return code of the step that failed, mac then unchanged.
int GetMacAddress(char* mac);

// The id of the process that created the given one, or -1.
int GetParentProcessId(DWORD processId);

// Sets path to the full path of the process's executable; leaves it unchanged
// when the process cannot be opened or its path cannot be read.
void GetProcessImagePath(DWORD processId, std::string& path);

// Writes the executable path of the tool's parent process into path (a
// buffer of MAX_PATH bytes); leaves it empty when no parent can be found.
void GetLauncherImagePath(char* path);
