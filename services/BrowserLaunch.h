// Opening a web address in a browser outside the tool.
#pragma once

// Asks the shell to open the URL; when the default handler refuses (with any
// code but "file not found"), tries "iexplore.exe" and then rundll32's URL
// handler. The caller is not told whether a browser opened.
void OpenUrlInBrowser(const wchar_t* url);
