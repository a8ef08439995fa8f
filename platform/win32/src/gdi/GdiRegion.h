// A region: a set of pixels held as pixman's band-sorted rectangle list.
// Coordinates are half-open, as GDI's are.
#pragma once

#include "GdiObject.h"

#include <wingdi.h>

#include <pixman.h>

namespace win32 {

class GdiRegion final : public GdiObject {
public:
    GdiRegion();
    GdiRegion(const GdiRegion& other);
    GdiRegion& operator=(const GdiRegion& other);
    ~GdiRegion() override;

    // Empty rectangles (and reversed ones, after sorting) give empty regions.
    void SetRect(int left, int top, int right, int bottom);
    void SetEmpty() { SetRect(0, 0, 0, 0); }

    // Row-by-row construction: each call appends a run [left, right) on the
    // rows [top, bottom).
    void AddRect(int left, int top, int right, int bottom);

    pixman_region32_t* Pixman() { return &m_region; }
    const pixman_region32_t* Pixman() const { return &m_region; }

    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;
    RECT Box() const;
    bool Contains(int x, int y) const;
    void Offset(int dx, int dy);
    bool Equals(const GdiRegion& other) const;

    // Applies one of the RGN_* modes: this = a (mode) b.
    bool Combine(const GdiRegion& a, const GdiRegion* b, int mode);

private:
    pixman_region32_t m_region;
};

} // namespace win32
