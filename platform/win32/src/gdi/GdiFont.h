// A logical font (CreateFontIndirectW) and the installed faces that draw it.
//
// The face name is mapped to an installed family through fontconfig (with a
// table for the Windows names the skins use). Characters the chosen face
// lacks are drawn from fontconfig's fallback list, so CJK text always finds
// glyphs. Advances are whole pixels (hinted metrics), as GDI's are, so a
// measured extent is exactly where the next glyph would start.
#pragma once

#include "GdiObject.h"

#include <wingdi.h>

#include <cairo.h>

#include <unordered_map>
#include <vector>

typedef struct _FcPattern FcPattern;
typedef struct _FcFontSet FcFontSet;

namespace win32 {

class GdiFont final : public GdiObject {
public:
    static std::shared_ptr<GdiFont> Create(const LOGFONTW& logFont);
    ~GdiFont() override;

    const LOGFONTW& LogFont() const { return m_logFont; }
    int Describe(int size, void* buffer) const override;

    struct Glyph {
        cairo_scaled_font_t* font; // owned by the GdiFont
        unsigned long index;
        int advance;
    };
    const Glyph& GlyphFor(char32_t character);

    const TEXTMETRICW& Metrics();
    // The family fontconfig chose for the face name.
    std::wstring FamilyName();

    // Sum of advances of a run of text.
    int Extent(const wchar_t* text, size_t count);

private:
    explicit GdiFont(const LOGFONTW& logFont);
    void Load();
    cairo_scaled_font_t* ScaledFontAt(size_t fallbackIndex);

    LOGFONTW m_logFont;
    bool m_loaded = false;
    double m_pixelSize = 16;
    FcPattern* m_pattern = nullptr;
    FcFontSet* m_fallbacks = nullptr;
    std::vector<cairo_scaled_font_t*> m_fonts; // index 0: the matched face; then fallbacks, created lazily
    std::unordered_map<char32_t, Glyph> m_glyphs;
    TEXTMETRICW m_metrics {};
};

} // namespace win32
