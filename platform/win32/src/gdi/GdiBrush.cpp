#include "GdiBrush.h"

#include <cstring>

namespace win32 {

int GdiBrush::Describe(int size, void* buffer) const
{
    if (!buffer)
        return sizeof(LOGBRUSH);
    if (size < static_cast<int>(sizeof(LOGBRUSH)))
        return 0;
    LOGBRUSH record {m_style, m_color, 0};
    std::memcpy(buffer, &record, sizeof record);
    return sizeof record;
}

int GdiPen::Describe(int size, void* buffer) const
{
    if (!buffer)
        return sizeof(LOGPEN);
    if (size < static_cast<int>(sizeof(LOGPEN)))
        return 0;
    LOGPEN record {m_style, POINT {m_width, 0}, m_color};
    std::memcpy(buffer, &record, sizeof record);
    return sizeof record;
}

} // namespace win32
