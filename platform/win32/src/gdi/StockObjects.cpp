#include "StockObjects.h"

#include "GdiFont.h"

#include <cstring>

namespace win32 {

namespace {

// The default colours of a current Windows desktop, indexed by COLOR_*.
constexpr COLORREF kSystemColors[] = {
    RGB(200, 200, 200), // COLOR_SCROLLBAR
    RGB(0, 0, 0),       // COLOR_BACKGROUND
    RGB(153, 180, 209), // COLOR_ACTIVECAPTION
    RGB(191, 205, 219), // COLOR_INACTIVECAPTION
    RGB(240, 240, 240), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(100, 100, 100), // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(0, 0, 0),       // COLOR_CAPTIONTEXT
    RGB(180, 180, 180), // COLOR_ACTIVEBORDER
    RGB(244, 247, 252), // COLOR_INACTIVEBORDER
    RGB(171, 171, 171), // COLOR_APPWORKSPACE
    RGB(51, 153, 255),  // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240), // COLOR_BTNFACE
    RGB(160, 160, 160), // COLOR_BTNSHADOW
    RGB(109, 109, 109), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(67, 78, 84),    // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105), // COLOR_3DDKSHADOW
    RGB(227, 227, 227), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(181, 181, 181), // (unused index 25)
    RGB(0, 102, 204),   // COLOR_HOTLIGHT
    RGB(185, 209, 234), // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242), // COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),  // COLOR_MENUHILIGHT
    RGB(240, 240, 240), // COLOR_MENUBAR
};

HGDIOBJ InsertStock(std::shared_ptr<GdiObject> object)
{
    object->MarkStock();
    return InsertGdiObject(std::move(object));
}

LOGFONTW StockFont(LONG height, LONG weight, BYTE pitch, const wchar_t* face)
{
    LOGFONTW font {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = pitch;
    std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

} // namespace

bool IsSystemColorIndex(int index)
{
    return index >= 0 && index < static_cast<int>(sizeof kSystemColors / sizeof kSystemColors[0]);
}

COLORREF SystemColor(int index)
{
    return IsSystemColorIndex(index) ? kSystemColors[index] : 0;
}

StockObjects& StockObjects::Get()
{
    static StockObjects* objects = new StockObjects;
    return *objects;
}

StockObjects::StockObjects()
{
    m_handles[WHITE_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(255, 255, 255)));
    m_handles[LTGRAY_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(192, 192, 192)));
    m_handles[GRAY_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(128, 128, 128)));
    m_handles[DKGRAY_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(64, 64, 64)));
    m_handles[BLACK_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(0, 0, 0)));
    m_handles[NULL_BRUSH] = InsertStock(std::make_shared<GdiBrush>(BS_NULL, 0));
    m_handles[WHITE_PEN] = InsertStock(std::make_shared<GdiPen>(PS_SOLID, 1, RGB(255, 255, 255)));
    m_handles[BLACK_PEN] = InsertStock(std::make_shared<GdiPen>(PS_SOLID, 1, RGB(0, 0, 0)));
    m_handles[NULL_PEN] = InsertStock(std::make_shared<GdiPen>(PS_NULL, 1, 0));

    // Windows' stock fonts, mapped to installed families like any other font.
    m_handles[OEM_FIXED_FONT] = InsertStock(GdiFont::Create(StockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"Terminal")));
    m_handles[ANSI_FIXED_FONT] = InsertStock(GdiFont::Create(StockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"Courier")));
    m_handles[ANSI_VAR_FONT] = InsertStock(GdiFont::Create(StockFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif")));
    m_handles[SYSTEM_FONT] = InsertStock(GdiFont::Create(StockFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, L"System")));
    m_handles[DEVICE_DEFAULT_FONT] = m_handles[SYSTEM_FONT];
    m_handles[SYSTEM_FIXED_FONT] = InsertStock(GdiFont::Create(StockFont(16, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"Fixedsys")));
    m_handles[DEFAULT_GUI_FONT] = InsertStock(GdiFont::Create(StockFont(-12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg")));

    auto dcBrush = std::make_shared<GdiBrush>(BS_SOLID, RGB(255, 255, 255));
    dcBrush->MarkDcBrush();
    m_handles[DC_BRUSH] = InsertStock(dcBrush);
    m_handles[DC_PEN] = InsertStock(std::make_shared<GdiPen>(PS_SOLID, 1, RGB(0, 0, 0)));

    defaultBitmap = GdiBitmap::Create(1, 1, false, false);
    defaultBitmapHandle = InsertStock(defaultBitmap);

    for (int i = 0; i < kSystemColorCount; ++i)
        m_systemBrushes[i] = static_cast<HBRUSH>(InsertStock(std::make_shared<GdiBrush>(BS_SOLID, kSystemColors[i])));
}

HGDIOBJ StockObjects::Handle(int index) const
{
    if (index < 0 || index >= kStockCount)
        return nullptr;
    return m_handles[index];
}

HeldObject StockObjects::Held(int index) const
{
    HGDIOBJ handle = Handle(index);
    return HeldObject(handle, ReferenceGdiObject(handle));
}

HBRUSH StockObjects::SystemColorBrush(int index) const
{
    if (index < 0 || index >= kSystemColorCount)
        return nullptr;
    return m_systemBrushes[index];
}

} // namespace win32
