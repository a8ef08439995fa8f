// Font creation, text metrics and measurement, and text output.
#include "PixelOps.h"
#include "TextRenderer.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

using namespace win32;

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf)
{
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return static_cast<HFONT>(InsertGdiObject(GdiFont::Create(*lplf)));
}

HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                         DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName)
{
    LOGFONTW font {};
    font.lfHeight = cHeight;
    font.lfWidth = cWidth;
    font.lfEscapement = cEscapement;
    font.lfOrientation = cOrientation;
    font.lfWeight = cWeight;
    font.lfItalic = static_cast<BYTE>(bItalic);
    font.lfUnderline = static_cast<BYTE>(bUnderline);
    font.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
    font.lfCharSet = static_cast<BYTE>(iCharSet);
    font.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    font.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    font.lfQuality = static_cast<BYTE>(iQuality);
    font.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName)
        std::wcsncpy(font.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lptm)
        return FALSE;
    *lptm = dc->Font().Metrics();
    return TRUE;
}

int WINAPI GetTextFaceW(HDC hdc, int c, LPWSTR lpName)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return 0;
    std::wstring name = dc->Font().FamilyName();
    if (!lpName)
        return static_cast<int>(name.size()) + 1;
    if (c <= 0)
        return 0;
    size_t count = std::min(name.size(), static_cast<size_t>(c - 1));
    std::wmemcpy(lpName, name.data(), count);
    lpName[count] = 0;
    return static_cast<int>(count) + 1;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !psizl || c < 0 || (c > 0 && !lpString))
        return FALSE;
    GdiFont& font = dc->Font();
    psizl->cx = font.Extent(lpString, static_cast<size_t>(c));
    psizl->cy = font.Metrics().tmHeight;
    return TRUE;
}

BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                                  LPINT lpnDx, LPSIZE lpSize)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lpSize || cchString < 0 || (cchString > 0 && !lpszString))
        return FALSE;
    GdiFont& font = dc->Font();
    int width = 0, fit = 0;
    for (int i = 0; i < cchString; ++i) {
        width += font.GlyphFor(static_cast<char32_t>(lpszString[i])).advance;
        if (lpnDx)
            lpnDx[i] = width;
        if (nMaxExtent < 0 || width <= nMaxExtent)
            fit = i + 1;
    }
    if (lpnFit)
        *lpnFit = fit;
    lpSize->cx = width;
    lpSize->cy = font.Metrics().tmHeight;
    return TRUE;
}

BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lpABC || wLast < wFirst)
        return FALSE;
    GdiFont& font = dc->Font();
    for (UINT ch = wFirst; ch <= wLast; ++ch) {
        const GdiFont::Glyph& glyph = font.GlyphFor(ch);
        ABC& abc = lpABC[ch - wFirst];
        abc = ABC {0, static_cast<UINT>(glyph.advance), 0};
        if (!glyph.font)
            continue;
        cairo_glyph_t g {glyph.index, 0, 0};
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(glyph.font, &g, 1, &extents);
        if (extents.width <= 0)
            continue; // blank glyphs are all B space
        int a = static_cast<int>(std::floor(extents.x_bearing));
        int right = static_cast<int>(std::ceil(extents.x_bearing + extents.width));
        abc.abcA = a;
        abc.abcB = static_cast<UINT>(right - a);
        abc.abcC = glyph.advance - right;
    }
    return TRUE;
}

BOOL WINAPI GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lpBuffer || iLast < iFirst)
        return FALSE;
    for (UINT ch = iFirst; ch <= iLast; ++ch)
        lpBuffer[ch - iFirst] = dc->Font().GlyphFor(ch).advance;
    return TRUE;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                        const INT* lpDx)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || (c > 0 && !lpString))
        return FALSE;
    GdiFont& font = dc->Font();
    const TEXTMETRICW& metrics = font.Metrics();
    int width = 0;
    for (UINT i = 0; i < c; ++i)
        width += lpDx ? lpDx[i] : font.GlyphFor(static_cast<char32_t>(lpString[i])).advance;

    // Where the cell's top-left corner goes, from the text alignment.
    UINT align = dc->State().textAlign;
    POINT origin = dc->ToDevice(x, y);
    if ((align & TA_CENTER) == TA_CENTER)
        origin.x -= width / 2;
    else if (align & TA_RIGHT)
        origin.x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        origin.y -= metrics.tmAscent;
    else if (align & TA_BOTTOM)
        origin.y -= metrics.tmHeight;

    GdiRegion area;
    dc->EffectiveClip(area);
    RECT rect {};
    if (lprect)
        rect = Normalized(dc->ToDevice(*lprect));
    if (lprect && (options & ETO_OPAQUE)) {
        GdiRegion fill;
        ClipDeviceRect(*dc, rect, fill);
        FillRegionPixels(dc->Target(), fill, PixelOf(dc->State().backgroundColor));
    }
    if (lprect && (options & ETO_CLIPPED)) {
        GdiRegion limit;
        limit.SetRect(rect.left, rect.top, rect.right, rect.bottom);
        area.Combine(area, &limit, RGN_AND);
    }
    // An opaque background fills the text's cells first, like GDI.
    if (dc->State().backgroundMode == OPAQUE && !(options & ETO_OPAQUE) && c > 0) {
        GdiRegion cells;
        cells.SetRect(origin.x, origin.y, origin.x + width, origin.y + metrics.tmHeight);
        cells.Combine(cells, &area, RGN_AND);
        FillRegionPixels(dc->Target(), cells, PixelOf(dc->State().backgroundColor));
    }
    DrawTextRun(*dc, font, origin.x, origin.y, lpString, c, lpDx, area);
    return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c)
{
    if (c < 0)
        return FALSE;
    return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}
