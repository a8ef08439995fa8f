#include "app/VersionListParser.h"

#include "app/VersionCatalog.h"

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

VersionListResult ParseElement(const std::string& element, int& position)
{
    size_t i = 0;
    while (i < element.size() && IsSpace(element[i]))
        ++i;
    bool negative = false;
    if (i < element.size() && (element[i] == '+' || element[i] == '-')) {
        negative = element[i] == '-';
        ++i;
    }
    size_t digitsStart = i;
    // Anything beyond two digits is outside the catalogue anyway; the value
    // is capped so that a long run of digits cannot overflow.
    long value = 0;
    while (i < element.size() && element[i] >= '0' && element[i] <= '9') {
        value = value * 10 + (element[i] - '0');
        if (value > 1000)
            value = 1000;
        ++i;
    }
    bool hasDigits = i > digitsStart;
    while (i < element.size() && IsSpace(element[i]))
        ++i;
    if (i != element.size())
        return VersionListResult::NotANumber;
    if (!hasDigits)
        return digitsStart == element.size() && !negative && element.find('+') == std::string::npos
            ? VersionListResult::EmptyElement
            : VersionListResult::NotANumber;
    if (negative)
        value = -value;
    if (!IsCatalogPosition(static_cast<int>(value)))
        return VersionListResult::OutOfCatalog;
    position = static_cast<int>(value);
    return VersionListResult::Ok;
}

} // namespace

VersionListResult ParseVersionList(const std::string& list, std::vector<int>& positions)
{
    positions.clear();
    std::vector<int> parsed;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string element = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int position = 0;
        VersionListResult result = ParseElement(element, position);
        if (result != VersionListResult::Ok)
            return result;
        parsed.push_back(position);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    positions = std::move(parsed);
    return VersionListResult::Ok;
}
