#include "TextCodec.h"

namespace win32 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; advances i. Overlong forms,
// surrogates and values past U+10FFFF are invalid and consume one byte.
char32_t DecodeOne(std::string_view text, size_t& i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < length; ++k) {
        unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return value;
}

void EncodeOne(char32_t c, std::string& out)
{
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

} // namespace

std::wstring Utf8ToWide(std::string_view text, bool* invalid)
{
    std::wstring out;
    out.reserve(text.size());
    bool bad = false;
    for (size_t i = 0; i < text.size();) {
        size_t start = i;
        char32_t c = DecodeOne(text, i);
        // A real U+FFFD in the input takes three bytes; a replacement one.
        bad = bad || (c == kReplacement && i == start + 1);
        out += static_cast<wchar_t>(c);
    }
    if (invalid)
        *invalid = bad;
    return out;
}

size_t Utf8DecodeInto(std::string_view text, wchar_t* out, size_t capacity, bool* invalid)
{
    size_t count = 0;
    bool bad = false;
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII, by far the most common text, skip the decoder.
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (out && count < capacity)
                out[count] = static_cast<wchar_t>(lead);
            ++count;
            ++i;
            continue;
        }
        size_t start = i;
        char32_t c = DecodeOne(text, i);
        bad = bad || (c == kReplacement && i == start + 1);
        if (out && count < capacity)
            out[count] = static_cast<wchar_t>(c);
        ++count;
    }
    if (invalid)
        *invalid = bad;
    return count;
}

std::string WideToUtf8(std::wstring_view text, bool* invalid)
{
    if (invalid)
        *invalid = false;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                EncodeOne(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), out);
                ++i;
                continue;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = kReplacement;
            if (invalid)
                *invalid = true;
        }
        EncodeOne(c, out);
    }
    return out;
}

std::string WideToUtf8(const WCHAR* text)
{
    return text ? WideToUtf8(std::wstring_view(text)) : std::string();
}

wchar_t FoldCase(wchar_t c)
{
    if (c >= L'A' && c <= L'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capitals with the following code point,
        // except for a few ranges that pair odd with even.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? c + 1 : c;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (c == 0x178)
            return 0xFF;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

wchar_t UpperCase(wchar_t c)
{
    if (c >= L'a' && c <= L'z')
        return c - 32;
    if (c < 0xE0)
        return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? c : c - 1;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c & 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        return c - 32;
    if (c >= 0x430 && c <= 0x44F)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    return c;
}

int CompareIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = FoldCase(a[i]);
        wchar_t y = FoldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    // Pure ASCII is by far the common case; it needs no decoding.
    if (a.size() == b.size()) {
        bool ascii = true;
        for (size_t i = 0; i < a.size() && ascii; ++i) {
            auto x = static_cast<unsigned char>(a[i]);
            auto y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 || y >= 0x80) {
                ascii = false;
                break;
            }
            if (FoldCase(x) != FoldCase(y))
                return false;
        }
        if (ascii)
            return true;
    }
    return CompareIgnoringCase(Utf8ToWide(a), Utf8ToWide(b)) == 0;
}

} // namespace win32
