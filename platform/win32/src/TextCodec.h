// Conversions the layer itself needs at its boundaries: UTF-8 (the file
// system's and the ANSI code page's encoding) to and from wide text, and a
// simple case folding for the comparisons Windows makes ignoring case.
#pragma once

#include <winnt.h>

#include <string>
#include <string_view>
#include <algorithm>

namespace win32 {

// Decodes UTF-8; every invalid byte becomes U+FFFD. When invalid is given,
// it is set to whether any byte was invalid.
std::wstring Utf8ToWide(std::string_view text, bool* invalid = nullptr);

// Decodes UTF-8 straight into out, writing at most capacity characters (out
// may be null to only count). Returns the number of characters the whole text
// decodes to, whether or not they all fitted; invalid sequences become U+FFFD
// and set *invalid.
size_t Utf8DecodeInto(std::string_view text, wchar_t* out, size_t capacity, bool* invalid = nullptr);

// Encodes wide text as UTF-8. A surrogate pair (as a UTF-16 source may
// produce) is joined into its code point; lone surrogates and values outside
// Unicode become U+FFFD.
std::string WideToUtf8(std::wstring_view text, bool* invalid = nullptr);

// Null-safe forms for the W entry points: a null pointer gives an empty text.
std::string WideToUtf8(const WCHAR* text);

// The lower-case form of a character, for ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic: the letters file names and INI keys use in practice.
wchar_t FoldCase(wchar_t c);
wchar_t UpperCase(wchar_t c);

// Compares two texts ignoring case; <0, 0 or >0.
int CompareIgnoringCase(std::wstring_view a, std::wstring_view b);

// The same for UTF-8 texts.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

} // namespace win32
