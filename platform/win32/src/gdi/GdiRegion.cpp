#include "GdiRegion.h"

#include <algorithm>

namespace win32 {

GdiRegion::GdiRegion()
    : GdiObject(OBJ_REGION)
{
    pixman_region32_init(&m_region);
}

GdiRegion::GdiRegion(const GdiRegion& other)
    : GdiObject(OBJ_REGION)
{
    pixman_region32_init(&m_region);
    pixman_region32_copy(&m_region, &other.m_region);
}

GdiRegion& GdiRegion::operator=(const GdiRegion& other)
{
    if (this != &other)
        pixman_region32_copy(&m_region, &other.m_region);
    return *this;
}

GdiRegion::~GdiRegion()
{
    pixman_region32_fini(&m_region);
}

void GdiRegion::SetRect(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    pixman_region32_fini(&m_region);
    if (left == right || top == bottom)
        pixman_region32_init(&m_region);
    else
        pixman_region32_init_rect(&m_region, left, top, static_cast<unsigned>(right - left),
                                  static_cast<unsigned>(bottom - top));
}

void GdiRegion::AddRect(int left, int top, int right, int bottom)
{
    if (left >= right || top >= bottom)
        return;
    pixman_region32_union_rect(&m_region, &m_region, left, top, static_cast<unsigned>(right - left),
                               static_cast<unsigned>(bottom - top));
}

int GdiRegion::Complexity() const
{
    int count = pixman_region32_n_rects(const_cast<pixman_region32_t*>(&m_region));
    if (count == 0)
        return NULLREGION;
    return count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT GdiRegion::Box() const
{
    if (Complexity() == NULLREGION)
        return RECT {0, 0, 0, 0};
    const pixman_box32_t* box = pixman_region32_extents(const_cast<pixman_region32_t*>(&m_region));
    return RECT {box->x1, box->y1, box->x2, box->y2};
}

bool GdiRegion::Contains(int x, int y) const
{
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&m_region), x, y, nullptr);
}

void GdiRegion::Offset(int dx, int dy)
{
    pixman_region32_translate(&m_region, dx, dy);
}

bool GdiRegion::Equals(const GdiRegion& other) const
{
    return pixman_region32_equal(const_cast<pixman_region32_t*>(&m_region),
                                 const_cast<pixman_region32_t*>(&other.m_region));
}

bool GdiRegion::Combine(const GdiRegion& a, const GdiRegion* b, int mode)
{
    auto* pa = const_cast<pixman_region32_t*>(&a.m_region);
    auto* pb = b ? const_cast<pixman_region32_t*>(&b->m_region) : nullptr;
    switch (mode) {
    case RGN_COPY:
        return pixman_region32_copy(&m_region, pa);
    case RGN_AND:
        return pixman_region32_intersect(&m_region, pa, pb);
    case RGN_OR:
        return pixman_region32_union(&m_region, pa, pb);
    case RGN_DIFF:
        return pixman_region32_subtract(&m_region, pa, pb);
    case RGN_XOR: {
        // a xor b = (a - b) + (b - a); built in temporaries because the
        // destination may be one of the operands.
        pixman_region32_t left, right;
        pixman_region32_init(&left);
        pixman_region32_init(&right);
        bool ok = pixman_region32_subtract(&left, pa, pb) && pixman_region32_subtract(&right, pb, pa)
                  && pixman_region32_union(&m_region, &left, &right);
        pixman_region32_fini(&left);
        pixman_region32_fini(&right);
        return ok;
    }
    default:
        return false;
    }
}

} // namespace win32
