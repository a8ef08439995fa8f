// The object behind a FindFirstFile handle: the matching entries of one
// folder, taken at the first call and handed out one by one.
#pragma once

#include "KernelObject.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace win32 {

class FindObject final : public KernelObject {
public:
    struct Entry {
        std::string name;
        struct stat status;
    };

    explicit FindObject(std::vector<Entry> entries) : m_entries(std::move(entries)) { }

    // The next entry, or null at the end.
    const Entry* Next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

private:
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};

// Matches a name against a pattern of "*" and "?" wildcards ignoring case,
// as FindFirstFile does; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(const std::wstring& name, const std::wstring& pattern);

} // namespace win32
