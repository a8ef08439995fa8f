#include "ProfileFile.h"

#include "TextCodec.h"

namespace win32 {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kCrLf[] = "\r\n";

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool IsBlank(const std::string& text)
{
    return Trim(text).empty();
}

// A section header is a line whose first non-blank character is "["; the
// name runs to the "]" (or to the end when there is none).
std::optional<std::string> HeaderName(const std::string& text)
{
    std::string trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] != '[')
        return std::nullopt;
    size_t close = trimmed.find(']');
    return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

bool IsComment(const std::string& text)
{
    std::string trimmed = Trim(text);
    return !trimmed.empty() && trimmed[0] == ';';
}

// The key of an entry line: the text before "=", or the whole line when it
// has no "=".
std::string KeyOf(const std::string& text)
{
    size_t equals = text.find('=');
    return Trim(equals == std::string::npos ? text : text.substr(0, equals));
}

bool IsEntry(const std::string& text)
{
    return !IsBlank(text) && !IsComment(text) && !HeaderName(text);
}

std::string Unquote(std::string value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

ProfileFile::ProfileFile(const std::string& bytes)
{
    size_t start = 0;
    if (bytes.rfind(kBom, 0) == 0) {
        m_hasBom = true;
        start = 3;
    }
    while (start < bytes.size()) {
        size_t newline = bytes.find('\n', start);
        Line line;
        if (newline == std::string::npos) {
            line.text = bytes.substr(start);
            start = bytes.size();
        } else {
            size_t textEnd = newline;
            if (textEnd > start && bytes[textEnd - 1] == '\r')
                --textEnd;
            line.text = bytes.substr(start, textEnd - start);
            line.ending = bytes.substr(textEnd, newline + 1 - textEnd);
            start = newline + 1;
        }
        m_lines.push_back(std::move(line));
    }
}

std::string ProfileFile::Serialize() const
{
    std::string bytes = m_hasBom ? kBom : "";
    for (const Line& line : m_lines)
        bytes += line.text + line.ending;
    return bytes;
}

std::vector<std::string> ProfileFile::SectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        auto name = HeaderName(line.text);
        if (!name)
            continue;
        bool seen = false;
        for (const auto& known : names)
            seen = seen || EqualIgnoringCase(known, *name);
        if (!seen)
            names.push_back(*name);
    }
    return names;
}

std::optional<ProfileFile::Range> ProfileFile::FindSection(const std::string& section) const
{
    std::string wanted = Trim(section);
    for (size_t i = 0; i < m_lines.size(); ++i) {
        auto name = HeaderName(m_lines[i].text);
        if (!name || !EqualIgnoringCase(*name, wanted))
            continue;
        size_t end = i + 1;
        while (end < m_lines.size() && !HeaderName(m_lines[end].text))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> ProfileFile::FindKey(const Range& range, const std::string& key) const
{
    std::string wanted = Trim(key);
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (IsEntry(m_lines[i].text) && EqualIgnoringCase(KeyOf(m_lines[i].text), wanted))
            return i;
    return std::nullopt;
}

std::optional<std::vector<std::string>> ProfileFile::KeyNames(const std::string& section) const
{
    auto range = FindSection(section);
    if (!range)
        return std::nullopt;
    std::vector<std::string> keys;
    for (size_t i = range->header + 1; i < range->end; ++i)
        if (IsEntry(m_lines[i].text))
            keys.push_back(KeyOf(m_lines[i].text));
    return keys;
}

std::optional<std::vector<std::string>> ProfileFile::SectionEntries(const std::string& section) const
{
    auto range = FindSection(section);
    if (!range)
        return std::nullopt;
    std::vector<std::string> entries;
    for (size_t i = range->header + 1; i < range->end; ++i) {
        const std::string& text = m_lines[i].text;
        if (!IsEntry(text))
            continue;
        size_t equals = text.find('=');
        entries.push_back(equals == std::string::npos ? Trim(text)
                                                      : KeyOf(text) + "=" + Trim(text.substr(equals + 1)));
    }
    return entries;
}

std::optional<std::string> ProfileFile::Value(const std::string& section, const std::string& key) const
{
    auto range = FindSection(section);
    if (!range)
        return std::nullopt;
    auto index = FindKey(*range, key);
    if (!index)
        return std::nullopt;
    const std::string& text = m_lines[*index].text;
    size_t equals = text.find('=');
    if (equals == std::string::npos)
        return std::string();
    return Unquote(Trim(text.substr(equals + 1)));
}

size_t ProfileFile::InsertionPoint(const Range& range) const
{
    size_t point = range.end;
    while (point > range.header + 1 && IsBlank(m_lines[point - 1].text))
        --point;
    return point;
}

void ProfileFile::Insert(size_t index, const std::string& text)
{
    // The line before a new one must end, or the two would run together.
    if (index > 0 && m_lines[index - 1].ending.empty())
        m_lines[index - 1].ending = kCrLf;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), Line{text, kCrLf});
}

void ProfileFile::SetValue(const std::string& section, const std::string& key, const std::string& value)
{
    auto range = FindSection(section);
    if (!range) {
        Insert(m_lines.size(), "[" + section + "]");
        Insert(m_lines.size(), key + "=" + value);
        return;
    }
    if (auto index = FindKey(*range, key)) {
        // The key keeps its spelling in the file; only the value changes.
        m_lines[*index].text = KeyOf(m_lines[*index].text) + "=" + value;
        return;
    }
    Insert(InsertionPoint(*range), key + "=" + value);
}

void ProfileFile::DeleteKey(const std::string& section, const std::string& key)
{
    auto range = FindSection(section);
    if (!range)
        return;
    if (auto index = FindKey(*range, key))
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*index));
}

void ProfileFile::DeleteSection(const std::string& section)
{
    auto range = FindSection(section);
    if (!range)
        return;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(range->end));
}

void ProfileFile::ReplaceSection(const std::string& section, const std::vector<std::string>& lines)
{
    auto range = FindSection(section);
    if (!range) {
        Insert(m_lines.size(), "[" + section + "]");
        for (const auto& line : lines)
            Insert(m_lines.size(), line);
        return;
    }
    size_t bodyEnd = InsertionPoint(*range);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->header + 1),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    size_t at = range->header + 1;
    for (const auto& line : lines)
        Insert(at++, line);
}

} // namespace win32
