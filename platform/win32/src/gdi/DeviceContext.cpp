#include "DeviceContext.h"

#include "GdiFont.h"
#include "StockObjects.h"

#include <errhandlingapi.h>
#include <winerror.h>

#include <cassert>

namespace win32 {

HeldObject::HeldObject(HGDIOBJ handle, std::shared_ptr<GdiObject> object)
    : m_handle(handle)
    , m_object(std::move(object))
{
    if (m_object)
        m_object->AddSelection();
}

HeldObject::HeldObject(const HeldObject& other)
    : HeldObject(other.m_handle, other.m_object)
{
}

HeldObject& HeldObject::operator=(const HeldObject& other)
{
    if (this != &other) {
        if (other.m_object)
            other.m_object->AddSelection();
        Release();
        m_handle = other.m_handle;
        m_object = other.m_object;
    }
    return *this;
}

HeldObject::~HeldObject()
{
    Release();
}

void HeldObject::Release()
{
    if (m_object)
        m_object->RemoveSelection();
    m_object.reset();
    m_handle = nullptr;
}

std::shared_ptr<DeviceContext> DeviceContext::CreateMemory()
{
    std::shared_ptr<DeviceContext> dc(new DeviceContext(OBJ_MEMDC));
    dc->m_memory = true;
    auto& stock = StockObjects::Get();
    dc->m_state.bitmap = HeldObject(stock.defaultBitmapHandle, stock.defaultBitmap);
    dc->m_state.brush = stock.Held(WHITE_BRUSH);
    dc->m_state.pen = stock.Held(BLACK_PEN);
    dc->m_state.font = stock.Held(SYSTEM_FONT);
    return dc;
}

std::shared_ptr<DeviceContext> DeviceContext::CreateSurface(std::shared_ptr<GdiBitmap> surface)
{
    std::shared_ptr<DeviceContext> dc(new DeviceContext(OBJ_DC));
    dc->m_surface = std::move(surface);
    auto& stock = StockObjects::Get();
    dc->m_state.brush = stock.Held(WHITE_BRUSH);
    dc->m_state.pen = stock.Held(BLACK_PEN);
    dc->m_state.font = stock.Held(SYSTEM_FONT);
    return dc;
}

GdiBitmap& DeviceContext::Target() const
{
    if (m_surface)
        return *m_surface;
    assert(m_state.bitmap.Object());
    return *m_state.bitmap.As<GdiBitmap>();
}

void DeviceContext::Retarget(std::shared_ptr<GdiBitmap> surface)
{
    assert(!m_memory);
    m_surface = std::move(surface);
}

int DeviceContext::Save()
{
    m_saved.push_back(m_state);
    return static_cast<int>(m_saved.size());
}

bool DeviceContext::Restore(int level)
{
    // A negative level counts back from the current one; a positive level
    // names the state SaveDC returned.
    int count = static_cast<int>(m_saved.size());
    if (level < 0)
        level = count + 1 + level;
    if (level <= 0 || level > count)
        return false;
    DcState restored = m_saved[level - 1];
    m_saved.resize(level - 1);
    // A window DC has no bitmap of its own to restore.
    m_state = std::move(restored);
    return true;
}

void DeviceContext::EffectiveClip(GdiRegion& out) const
{
    const GdiBitmap& target = Target();
    out.SetRect(0, 0, target.Width(), target.Height());
    if (m_systemClip)
        out.Combine(out, &*m_systemClip, RGN_AND);
    if (m_state.clip)
        out.Combine(out, &*m_state.clip, RGN_AND);
}

POINT DeviceContext::ToDevice(int x, int y) const
{
    return POINT {x - m_state.windowOrigin.x + m_state.viewportOrigin.x,
                  y - m_state.windowOrigin.y + m_state.viewportOrigin.y};
}

POINT DeviceContext::ToLogical(int x, int y) const
{
    return POINT {x + m_state.windowOrigin.x - m_state.viewportOrigin.x,
                  y + m_state.windowOrigin.y - m_state.viewportOrigin.y};
}

RECT DeviceContext::ToDevice(const RECT& rect) const
{
    POINT a = ToDevice(rect.left, rect.top);
    POINT b = ToDevice(rect.right, rect.bottom);
    return RECT {a.x, a.y, b.x, b.y};
}

COLORREF DeviceContext::BrushColor(const GdiBrush& brush) const
{
    return brush.IsDcBrush() ? m_state.dcBrushColor : brush.Color();
}

GdiFont& DeviceContext::Font() const
{
    assert(m_state.font.Object());
    return *m_state.font.As<GdiFont>();
}

std::shared_ptr<DeviceContext> ReferenceDC(HDC hdc)
{
    auto dc = ReferenceGdiObjectAs<DeviceContext>(hdc);
    if (!dc)
        SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

} // namespace win32
