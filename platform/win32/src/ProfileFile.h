// An INI file held as its lines, so that a change touches only the lines it
// must and every other byte (comments, blank lines, line ends, a UTF-8
// byte-order mark) is written back exactly as it was read.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace win32 {

class ProfileFile {
public:
    // Parses file bytes; LF and CRLF line ends are both accepted.
    explicit ProfileFile(const std::string& bytes);

    std::string Serialize() const;

    // Section names in file order, each once (the first spelling).
    std::vector<std::string> SectionNames() const;

    // The key names of a section, or nothing when the section is missing.
    std::optional<std::vector<std::string>> KeyNames(const std::string& section) const;

    // The entry lines of a section ("key=value", comments and blank lines
    // left out), or nothing when the section is missing.
    std::optional<std::vector<std::string>> SectionEntries(const std::string& section) const;

    // The value of a key, trimmed and without surrounding quotes.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& key);
    void DeleteSection(const std::string& section);

    // Replaces the whole body of a section by these lines (creating the
    // section at the end when it is missing). Blank lines that end the old
    // body, separating it from the next section, stay.
    void ReplaceSection(const std::string& section, const std::vector<std::string>& lines);

private:
    struct Line {
        std::string text;   // Without its line end.
        std::string ending; // "\r\n", "\n", or "" for a last line without one.
    };
    struct Range {
        size_t header;
        size_t end; // One past the section's last line.
    };

    std::optional<Range> FindSection(const std::string& section) const;
    std::optional<size_t> FindKey(const Range& range, const std::string& key) const;
    // Where a new line of a section goes: after its last non-blank line.
    size_t InsertionPoint(const Range& range) const;
    void Insert(size_t index, const std::string& text);

    bool m_hasBom = false;
    std::vector<Line> m_lines;
};

} // namespace win32
