// A device context: the drawing target (a bitmap, or a window's surface),
// the selected objects, the clip region, the coordinate origins and the text
// and background settings, with the stack of states SaveDC keeps.
//
// Coordinates: device = logical - window origin + viewport origin (only the
// MM_TEXT mapping exists). Clip regions are kept in device coordinates.
#pragma once

#include "GdiBitmap.h"
#include "GdiBrush.h"
#include "GdiRegion.h"

#include <optional>
#include <vector>

namespace win32 {

class GdiFont;

// One object held by a DC state. Holding counts as a selection, so the object
// cannot be deleted while any current or saved state refers to it.
class HeldObject {
public:
    HeldObject() = default;
    HeldObject(HGDIOBJ handle, std::shared_ptr<GdiObject> object);
    HeldObject(const HeldObject& other);
    HeldObject& operator=(const HeldObject& other);
    ~HeldObject();

    HGDIOBJ Handle() const { return m_handle; }
    const std::shared_ptr<GdiObject>& Object() const { return m_object; }
    template <class T>
    T* As() const { return static_cast<T*>(m_object.get()); }

private:
    void Release();

    HGDIOBJ m_handle = nullptr;
    std::shared_ptr<GdiObject> m_object;
};

struct DcState {
    HeldObject bitmap;
    HeldObject brush;
    HeldObject pen;
    HeldObject font;
    std::optional<GdiRegion> clip;
    POINT viewportOrigin {0, 0};
    POINT windowOrigin {0, 0};
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = RGB(0, 0, 0);
};

class DeviceContext final : public GdiObject {
public:
    // A memory DC starts with the stock 1x1 bitmap selected.
    static std::shared_ptr<DeviceContext> CreateMemory();
    // A DC that draws into a surface the caller owns (a window's pixels).
    static std::shared_ptr<DeviceContext> CreateSurface(std::shared_ptr<GdiBitmap> surface);

    bool IsMemory() const { return m_memory; }

    DcState& State() { return m_state; }
    const DcState& State() const { return m_state; }

    // The target bitmap; never null.
    GdiBitmap& Target() const;
    void Retarget(std::shared_ptr<GdiBitmap> surface);

    // Saved states: SaveDC pushes, RestoreDC pops to a level.
    int Save();
    bool Restore(int level);

    // The area a window DC may draw in (its update region), device units.
    void SetSystemClip(std::optional<GdiRegion> region) { m_systemClip = std::move(region); }

    // The pixels drawing may touch: the target's bounds, the system clip and
    // the DC's clip region, in device coordinates.
    void EffectiveClip(GdiRegion& out) const;

    POINT ToDevice(int x, int y) const;
    POINT ToLogical(int x, int y) const;
    RECT ToDevice(const RECT& rect) const;

    COLORREF BrushColor(const GdiBrush& brush) const;
    GdiFont& Font() const;

private:
    explicit DeviceContext(DWORD type) : GdiObject(type) {}

    bool m_memory = false;
    DcState m_state;
    std::vector<DcState> m_saved;
    std::optional<GdiRegion> m_systemClip;
    // A window surface is held directly: it is not a selectable object.
    std::shared_ptr<GdiBitmap> m_surface;
};

// Returns the DC of a handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<DeviceContext> ReferenceDC(HDC hdc);

} // namespace win32
