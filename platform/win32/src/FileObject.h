// The kernel object behind a file handle: an open file descriptor.
#pragma once

#include "KernelObject.h"

#include <string>

namespace win32 {

class FileObject final : public KernelObject {
public:
    FileObject(int descriptor, bool readable, bool writable, std::string deleteOnClosePath);
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor() const { return m_descriptor; }
    bool IsReadable() const { return m_readable; }
    bool IsWritable() const { return m_writable; }

private:
    int m_descriptor;
    bool m_readable;
    bool m_writable;
    std::string m_deleteOnClosePath;
};

} // namespace win32
