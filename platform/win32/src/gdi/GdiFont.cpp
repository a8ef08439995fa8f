#include "GdiFont.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <mutex>
#include <string>

namespace win32 {

namespace {

// Windows face names and the installed family that stands for each.
struct FaceAlias {
    const wchar_t* windowsName;
    const char* family;
};

constexpr FaceAlias kFaceAliases[] = {
    {L"微软雅黑", "Noto Sans CJK SC"},    {L"Microsoft YaHei", "Noto Sans CJK SC"},
    {L"黑体", "Noto Sans CJK SC"},        {L"SimHei", "Noto Sans CJK SC"},
    {L"宋体", "Noto Serif CJK SC"},       {L"SimSun", "Noto Serif CJK SC"},
    {L"新宋体", "Noto Serif CJK SC"},     {L"NSimSun", "Noto Serif CJK SC"},
    {L"Tahoma", "DejaVu Sans"},           {L"Verdana", "DejaVu Sans"},
    {L"Segoe UI", "DejaVu Sans"},         {L"MS Shell Dlg", "DejaVu Sans"},
    {L"MS Shell Dlg 2", "DejaVu Sans"},   {L"MS Sans Serif", "DejaVu Sans"},
    {L"System", "DejaVu Sans"},           {L"Arial", "Liberation Sans"},
    {L"Courier New", "monospace"},        {L"Courier", "monospace"},
    {L"Fixedsys", "monospace"},           {L"Terminal", "monospace"},
    {L"Consolas", "monospace"},           {L"Times New Roman", "serif"},
};

std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t wc : text) {
        auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(*a) != std::towlower(*b))
            return false;
    return *a == *b;
}

std::string FamilyFor(const LOGFONTW& font)
{
    for (const auto& alias : kFaceAliases)
        if (EqualNoCase(font.lfFaceName, alias.windowsName))
            return alias.family;
    if (font.lfFaceName[0])
        return ToUtf8(font.lfFaceName);
    switch (font.lfPitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return "serif";
    case FF_MODERN:
        return "monospace";
    default:
        return "sans-serif";
    }
}

// fontconfig is initialised once per process; its calls are serialised by
// the caller here because the GDI side runs on one thread at a time.
std::mutex& FontconfigLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

std::shared_ptr<GdiFont> GdiFont::Create(const LOGFONTW& logFont)
{
    return std::shared_ptr<GdiFont>(new GdiFont(logFont));
}

GdiFont::GdiFont(const LOGFONTW& logFont)
    : GdiObject(OBJ_FONT)
    , m_logFont(logFont)
{
    m_logFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

GdiFont::~GdiFont()
{
    for (cairo_scaled_font_t* font : m_fonts)
        if (font)
            cairo_scaled_font_destroy(font);
    if (m_fallbacks)
        FcFontSetDestroy(m_fallbacks);
    if (m_pattern)
        FcPatternDestroy(m_pattern);
}

int GdiFont::Describe(int size, void* buffer) const
{
    if (!buffer)
        return sizeof(LOGFONTW);
    if (size <= 0)
        return 0;
    int bytes = std::min(size, static_cast<int>(sizeof(LOGFONTW)));
    std::memcpy(buffer, &m_logFont, bytes);
    return bytes;
}

void GdiFont::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    std::lock_guard guard(FontconfigLock());

    // Pass 1: the pattern fontconfig matches: family, weight, slant.
    std::string family = FamilyFor(m_logFont);
    m_pattern = FcPatternCreate();
    FcPatternAddString(m_pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    int weight = m_logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : static_cast<int>(m_logFont.lfWeight);
    FcPatternAddInteger(m_pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(m_pattern, FC_SLANT, m_logFont.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Han characters in fallbacks are drawn the simplified Chinese way.
    FcPatternAddString(m_pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, m_pattern, FcMatchPattern);
    FcDefaultSubstitute(m_pattern);
    FcResult result;
    m_fallbacks = FcFontSort(nullptr, m_pattern, FcTrue, nullptr, &result);
    m_fonts.assign(m_fallbacks ? m_fallbacks->nfont : 0, nullptr);

    // Pass 2: the pixel size. A negative height is the em size; a positive
    // one the cell height (ascent + descent); zero means GDI's default.
    m_pixelSize = 16;
    cairo_scaled_font_t* primary = ScaledFontAt(0);
    if (m_logFont.lfHeight < 0) {
        m_pixelSize = -m_logFont.lfHeight;
    } else if (m_logFont.lfHeight > 0 && primary) {
        cairo_font_extents_t extents;
        cairo_scaled_font_extents(primary, &extents);
        double cell = extents.ascent + extents.descent;
        m_pixelSize = cell > 0 ? m_logFont.lfHeight * 16.0 / cell : m_logFont.lfHeight;
    }
    if (m_pixelSize != 16) {
        for (auto*& font : m_fonts)
            if (font) {
                cairo_scaled_font_destroy(font);
                font = nullptr;
            }
    }
}

cairo_scaled_font_t* GdiFont::ScaledFontAt(size_t fallbackIndex)
{
    if (fallbackIndex >= m_fonts.size())
        return nullptr;
    if (m_fonts[fallbackIndex])
        return m_fonts[fallbackIndex];
    FcPattern* rendered = FcFontRenderPrepare(nullptr, m_pattern, m_fallbacks->fonts[fallbackIndex]);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(rendered);
    FcPatternDestroy(rendered);
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, m_pixelSize, m_pixelSize);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    bool antialias = m_logFont.lfQuality != NONANTIALIASED_QUALITY;
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &size, &identity, options);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
        cairo_scaled_font_destroy(font);
        return nullptr;
    }
    m_fonts[fallbackIndex] = font;
    return font;
}

const GdiFont::Glyph& GdiFont::GlyphFor(char32_t character)
{
    Load();
    auto it = m_glyphs.find(character);
    if (it != m_glyphs.end())
        return it->second;

    // The first face of fontconfig's list that has the character draws it;
    // when none has it, the primary face's missing-glyph shape is used.
    Glyph glyph {ScaledFontAt(0), 0, 0};
    for (size_t i = 0; m_fallbacks && i < static_cast<size_t>(m_fallbacks->nfont); ++i) {
        FcCharSet* charset = nullptr;
        if (FcPatternGetCharSet(m_fallbacks->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch
            || !FcCharSetHasChar(charset, character))
            continue;
        cairo_scaled_font_t* font = ScaledFontAt(i);
        if (!font)
            continue;
        FT_Face face = cairo_ft_scaled_font_lock_face(font);
        unsigned long index = face ? FT_Get_Char_Index(face, character) : 0;
        cairo_ft_scaled_font_unlock_face(font);
        if (index) {
            glyph = Glyph {font, index, 0};
            break;
        }
    }
    if (glyph.font) {
        cairo_glyph_t g {glyph.index, 0, 0};
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(glyph.font, &g, 1, &extents);
        glyph.advance = static_cast<int>(std::lround(extents.x_advance));
    }
    return m_glyphs.emplace(character, glyph).first->second;
}

int GdiFont::Extent(const wchar_t* text, size_t count)
{
    int width = 0;
    for (size_t i = 0; i < count; ++i)
        width += GlyphFor(static_cast<char32_t>(text[i])).advance;
    return width;
}

std::wstring GdiFont::FamilyName()
{
    Load();
    FcChar8* name = nullptr;
    if (!m_fallbacks || m_fallbacks->nfont == 0
        || FcPatternGetString(m_fallbacks->fonts[0], FC_FAMILY, 0, &name) != FcResultMatch)
        return L"";
    std::wstring out;
    // Family names are ASCII or UTF-8; decode the common forms.
    const unsigned char* p = name;
    while (*p) {
        char32_t c = *p++;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra)
            c &= (0x3F >> extra);
        for (int i = 0; i < extra && *p; ++i)
            c = (c << 6) | (*p++ & 0x3F);
        out += static_cast<wchar_t>(c);
    }
    return out;
}

const TEXTMETRICW& GdiFont::Metrics()
{
    Load();
    if (m_metrics.tmHeight)
        return m_metrics;
    cairo_scaled_font_t* font = ScaledFontAt(0);
    TEXTMETRICW& tm = m_metrics;
    int ascent = static_cast<int>(std::round(m_pixelSize * 0.9));
    int descent = static_cast<int>(std::round(m_pixelSize * 0.25));
    int average = static_cast<int>(std::round(m_pixelSize / 2));
    int maximum = static_cast<int>(m_pixelSize);
    if (font) {
        cairo_font_extents_t extents;
        cairo_scaled_font_extents(font, &extents);
        ascent = static_cast<int>(std::ceil(extents.ascent));
        descent = static_cast<int>(std::ceil(extents.descent));
        maximum = static_cast<int>(std::ceil(extents.max_x_advance));
        // The OS/2 table's average width, as GDI reports for TrueType faces;
        // the width of "x" when the face has none.
        FT_Face face = cairo_ft_scaled_font_lock_face(font);
        auto* os2 = face ? static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
        if (os2 && os2->xAvgCharWidth > 0 && face->units_per_EM)
            average = static_cast<int>(std::lround(os2->xAvgCharWidth * m_pixelSize / face->units_per_EM));
        cairo_ft_scaled_font_unlock_face(font);
        if (!os2)
            average = GlyphFor(U'x').advance;
    }
    tm.tmAscent = ascent;
    tm.tmDescent = descent;
    tm.tmHeight = ascent + descent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - static_cast<int>(std::lround(m_pixelSize)));
    tm.tmExternalLeading = 0;
    tm.tmAveCharWidth = average;
    tm.tmMaxCharWidth = maximum;
    tm.tmWeight = m_logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : m_logFont.lfWeight;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = m_logFont.lfItalic;
    tm.tmUnderlined = m_logFont.lfUnderline;
    tm.tmStruckOut = m_logFont.lfStrikeOut;
    // As in GDI, the "fixed pitch" bit set means a variable-pitch font.
    tm.tmPitchAndFamily = static_cast<BYTE>(((m_logFont.lfPitchAndFamily & 3) == FIXED_PITCH ? 0 : TMPF_FIXED_PITCH)
                                            | TMPF_VECTOR | TMPF_TRUETYPE | (m_logFont.lfPitchAndFamily & 0xF0));
    tm.tmCharSet = m_logFont.lfCharSet;
    return m_metrics;
}

} // namespace win32
