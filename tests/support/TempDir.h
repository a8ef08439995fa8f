// A temporary folder that is removed with everything in it when the object
// goes away.
#pragma once

#include <string>

namespace kestrova::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's Linux path, without a trailing slash.
    const std::string& Path() const { return m_path; }

    // Path() + "/" + relative.
    std::string File(const std::string& relative) const;

private:
    std::string m_path;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Writes bytes to a file, creating or truncating it. Returns false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace kestrova::test
