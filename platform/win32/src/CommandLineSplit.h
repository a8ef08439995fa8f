// Splitting a Windows command line into arguments, by the rules the C
// runtime and CommandLineToArgvW share.
#pragma once

#include <string>
#include <vector>

namespace win32 {

// Spaces and tabs separate arguments outside double quotes. 2n backslashes
// before a quote give n backslashes and the quote opens or closes quoting;
// 2n + 1 give n backslashes and a literal quote; backslashes before anything
// else are literal. Inside quotes, "" gives one literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line);

} // namespace win32
