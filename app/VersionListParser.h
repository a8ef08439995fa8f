// Reading the page's version list, "1,3" or "6", into catalogue positions.
//
// The list is split at every ",". Each element is read like the standard
// decimal conversion: white space before and after the number is skipped and
// a "+" sign is allowed, so "1, 3" gives 1 and 3. A position given twice is
// kept twice ("3,3" installs 3.5 twice, one after the other).
//
// The whole list is rejected, with no position returned, when any element
// holds no number (an empty list, "1,,3", a trailing comma, letters, or
// digits followed by other text such as "3a"), or a number outside 1 to 6.
// A rejected list starts nothing, so the page can be told at once instead of
// the run installing part of what was asked.
#pragma once

#include <string>
#include <vector>

enum class VersionListResult {
    Ok,
    EmptyElement,     // an element without any digit
    NotANumber,       // an element with text other than a number
    OutOfCatalog,     // a number outside 1 to 6
};

// Parses narrow text in the ANSI code page. On success fills positions in
// list order; on failure leaves it empty.
VersionListResult ParseVersionList(const std::string& list, std::vector<int>& positions);
