// Conversions between wide text and narrow text in a code page.
#pragma once

#include <windows.h>

#include <string>

// Narrow text in the system ANSI code page to wide text, up to the first NUL.
std::wstring AnsiToWide(const std::string& text);

// Wide text to narrow text in the system ANSI code page.
std::string WideToAnsi(const std::wstring& text);

// Converts text, up to and including its terminating NUL, into dest (size
// bytes) in the given code page. Returns dest, or null when dest or text is
// missing or the conversion fails; dest then holds an empty text.
char* WideToCodePage(char* dest, const wchar_t* text, int size, UINT codePage);
