// Fetches a .NET Framework redistributable from the tools server into the
// tools folder, tracing each step in the local log.
#pragma once

// Downloads fileName (narrow text, e.g. "dotnetfx35.exe") from the tools
// server's "/uploads/tools/netframework/" into "C:\zarvel_tools\", then pauses
// five seconds. Returns false when the URL could not be opened (logged with
// the server's last response text) or an exception escaped ("crash");
// true otherwise, whatever the HTTP status.
bool DownloadInstaller(const char* fileName);
