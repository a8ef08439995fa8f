#include "FileObject.h"

#include <unistd.h>

namespace win32 {

FileObject::FileObject(int descriptor, bool readable, bool writable, std::string deleteOnClosePath)
    : m_descriptor(descriptor)
    , m_readable(readable)
    , m_writable(writable)
    , m_deleteOnClosePath(std::move(deleteOnClosePath))
{
}

FileObject::~FileObject()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
    if (!m_deleteOnClosePath.empty())
        unlink(m_deleteOnClosePath.c_str());
}

} // namespace win32
