// The process's stock objects (GetStockObject), the default bitmap of memory
// DCs and the system colour brushes. Created on first use, never deleted.
#pragma once

#include "DeviceContext.h"

namespace win32 {

class StockObjects {
public:
    static StockObjects& Get();

    // The handle of GetStockObject(index), or null for an unknown index.
    HGDIOBJ Handle(int index) const;
    HeldObject Held(int index) const;

    // The brush of a system colour index (GetSysColorBrush), or null.
    HBRUSH SystemColorBrush(int index) const;

    HGDIOBJ defaultBitmapHandle = nullptr;
    std::shared_ptr<GdiBitmap> defaultBitmap;

private:
    StockObjects();

    static constexpr int kStockCount = DC_PEN + 1;
    static constexpr int kSystemColorCount = 31;
    HGDIOBJ m_handles[kStockCount] {};
    HBRUSH m_systemBrushes[kSystemColorCount] {};
};

// The colour of a system colour index (COLOR_*), or 0 for an unknown index.
COLORREF SystemColor(int index);
bool IsSystemColorIndex(int index);

} // namespace win32
