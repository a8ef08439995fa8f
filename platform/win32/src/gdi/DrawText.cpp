// DrawTextW: formatted text in a rectangle. Lines are laid out first (line
// breaks, word wrapping, ellipses), then measured or drawn, so DT_CALCRECT
// reports exactly the rectangle the same call would fill.
#include "PixelOps.h"
#include "TextRenderer.h"

#include <wingdi.h>
#include <winuser_drawing.h>

#include <string>
#include <vector>

using namespace win32;

namespace {

bool IsBreakSpace(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Ideographs and kana may break on either side, as readers of CJK text
// expect; Latin words break only at spaces.
bool IsIdeographic(wchar_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF)
           || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x3000 && c <= 0x303F);
}

std::wstring StripPrefixes(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i; // "&x" shows x (underlined in GDI); "&&" shows one "&"
        else if (text[i] == L'&')
            continue;
        out += text[i];
    }
    return out;
}

struct Layout {
    std::vector<std::wstring> lines;
    int width = 0;
};

// Cuts a line to fit `limit` pixels with "..." at its end; at a word's end
// for DT_WORD_ELLIPSIS.
std::wstring EndEllipsis(GdiFont& font, const std::wstring& line, int limit, bool wholeWords)
{
    static const std::wstring dots = L"...";
    if (font.Extent(line.data(), line.size()) <= limit)
        return line;
    int dotsWidth = font.Extent(dots.data(), dots.size());
    size_t keep = line.size();
    while (keep > 0 && font.Extent(line.data(), keep) + dotsWidth > limit)
        --keep;
    if (wholeWords) {
        size_t word = keep;
        while (word > 0 && !IsBreakSpace(line[word]) && !IsBreakSpace(line[word - 1]) && word < line.size())
            --word;
        if (word > 0)
            keep = word;
    }
    while (keep > 0 && IsBreakSpace(line[keep - 1]))
        --keep;
    return line.substr(0, keep) + dots;
}

// Keeps the end of a path (after its last separator) and drops characters
// before it, putting "..." where they were.
std::wstring PathEllipsis(GdiFont& font, const std::wstring& line, int limit)
{
    static const std::wstring dots = L"...";
    if (font.Extent(line.data(), line.size()) <= limit)
        return line;
    size_t separator = line.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return EndEllipsis(font, line, limit, false);
    std::wstring tail = line.substr(separator);
    std::wstring head = line.substr(0, separator);
    while (!head.empty()) {
        head.pop_back();
        std::wstring candidate = head + dots + tail;
        if (font.Extent(candidate.data(), candidate.size()) <= limit)
            return candidate;
    }
    return dots + tail;
}

// Splits one paragraph into lines of at most `limit` pixels, breaking after
// spaces or beside ideographs; a word wider than the line is split between
// characters.
void WrapParagraph(GdiFont& font, const std::wstring& paragraph, int limit, std::vector<std::wstring>& lines)
{
    size_t start = 0;
    while (true) {
        while (start < paragraph.size() && IsBreakSpace(paragraph[start]) && start > 0)
            ++start;
        if (start >= paragraph.size()) {
            if (lines.empty() || start == 0)
                lines.emplace_back();
            return;
        }
        int width = 0;
        size_t end = start, lastBreak = std::wstring::npos;
        for (; end < paragraph.size(); ++end) {
            wchar_t c = paragraph[end];
            int advance = font.GlyphFor(static_cast<char32_t>(c)).advance;
            if (IsBreakSpace(c)) {
                lastBreak = end;
            } else if (width + advance > limit && end > start) {
                // A break may fall just before an ideograph, or after one.
                if (IsIdeographic(c) || IsIdeographic(paragraph[end - 1]))
                    lastBreak = end;
                break;
            } else if (IsIdeographic(c) && end > start) {
                lastBreak = end;
            }
            width += advance;
        }
        if (end >= paragraph.size()) {
            lines.push_back(paragraph.substr(start));
            return;
        }
        size_t cut = (lastBreak != std::wstring::npos && lastBreak > start) ? lastBreak : end;
        std::wstring line = paragraph.substr(start, cut - start);
        while (!line.empty() && IsBreakSpace(line.back()))
            line.pop_back();
        lines.push_back(line);
        start = cut;
    }
}

Layout LayOut(GdiFont& font, const std::wstring& text, int width, UINT format)
{
    Layout layout;
    bool single = format & DT_SINGLELINE;
    // Pass 1: paragraphs (CR, LF and CR LF end a line unless single-line).
    std::vector<std::wstring> paragraphs;
    std::wstring current;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (single)
                continue;
            paragraphs.push_back(current);
            current.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
            continue;
        }
        current += c;
    }
    paragraphs.push_back(current);

    // Pass 2: wrapping.
    for (const auto& paragraph : paragraphs) {
        if ((format & DT_WORDBREAK) && !single)
            WrapParagraph(font, paragraph, width, layout.lines);
        else
            layout.lines.push_back(paragraph);
    }

    // Pass 3: ellipses, on lines wider than the rectangle.
    for (auto& line : layout.lines) {
        if (format & DT_PATH_ELLIPSIS)
            line = PathEllipsis(font, line, width);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            line = EndEllipsis(font, line, width, (format & DT_WORD_ELLIPSIS) && !(format & DT_END_ELLIPSIS));
        layout.width = std::max(layout.width, font.Extent(line.data(), line.size()));
    }
    return layout;
}

} // namespace

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lprc)
        return 0;
    std::wstring text;
    if (lpchText)
        text = cchText < 0 ? std::wstring(lpchText) : std::wstring(lpchText, static_cast<size_t>(cchText));
    if (!(format & DT_NOPREFIX))
        text = StripPrefixes(text);

    GdiFont& font = dc->Font();
    const TEXTMETRICW& metrics = font.Metrics();
    int lineHeight = metrics.tmHeight + ((format & DT_EXTERNALLEADING) ? metrics.tmExternalLeading : 0);
    RECT& rect = *lprc;
    Layout layout = LayOut(font, text, rect.right - rect.left, format);
    int height = lineHeight * static_cast<int>(layout.lines.size());

    if (format & DT_CALCRECT) {
        // The rectangle the text needs; a single empty line still has height.
        int width = layout.width;
        if (format & DT_CENTER)
            rect.left += ((rect.right - rect.left) - width) / 2;
        else if (format & DT_RIGHT)
            rect.left = rect.right - width;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return height;
    }

    // Vertical placement applies to single lines only, as in user32.
    int top = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect.top + ((rect.bottom - rect.top) - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect.bottom - lineHeight;
    }

    GdiRegion area;
    dc->EffectiveClip(area);
    if (!(format & DT_NOCLIP)) {
        RECT device = dc->ToDevice(rect);
        GdiRegion limit;
        limit.SetRect(device.left, device.top, device.right, device.bottom);
        area.Combine(area, &limit, RGN_AND);
    }
    int y = top;
    for (const auto& line : layout.lines) {
        int width = font.Extent(line.data(), line.size());
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + ((rect.right - rect.left) - width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - width;
        POINT origin = dc->ToDevice(x, y);
        if (dc->State().backgroundMode == OPAQUE && width > 0) {
            GdiRegion cells;
            cells.SetRect(origin.x, origin.y, origin.x + width, origin.y + metrics.tmHeight);
            cells.Combine(cells, &area, RGN_AND);
            FillRegionPixels(dc->Target(), cells, PixelOf(dc->State().backgroundColor));
        }
        DrawTextRun(*dc, font, origin.x, origin.y, line.data(), line.size(), nullptr, area);
        y += lineHeight;
    }
    return (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect.top + lineHeight : height;
}
