#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ToCodePage(UINT codePage, const std::wstring& text, BOOL* usedDefault = nullptr)
{
    int size = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   usedDefault);
    std::string bytes(static_cast<size_t>(size), '\0');
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                                  nullptr, usedDefault),
              size);
    return bytes;
}

std::wstring FromCodePage(UINT codePage, const std::string& bytes, DWORD flags = 0)
{
    int size = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

TEST(CodePages, ConvertBothWaysInEveryCodePage)
{
    struct Case {
        UINT codePage;
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {936, L"\u5B89\u88C5", "\xB0\xB2\xD7\xB0"},
        {936, L"net 4.5", "net 4.5"},
        {CP_UTF8, L"\u5B89\u88C5", "\xE5\xAE\x89\xE8\xA3\x85"},
        {CP_UTF8, L"\U0001F600", "\xF0\x9F\x98\x80"},
        {CP_ACP, L"caf\u00E9", "caf\xC3\xA9"},
        {CP_OEMCP, L"\u00E9", "\xC3\xA9"},
        {CP_THREAD_ACP, L"x", "x"},
        {1252, L"\u20AC\u00E9\u0178", "\x80\xE9\x9F"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ToCodePage(test.codePage, test.text), test.bytes) << test.codePage;
        EXPECT_EQ(FromCodePage(test.codePage, test.bytes), test.text) << test.codePage;
    }
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    EXPECT_TRUE(IsValidCodePage(936));
    EXPECT_TRUE(IsValidCodePage(1252));
    EXPECT_TRUE(IsValidCodePage(CP_UTF8));
    EXPECT_FALSE(IsValidCodePage(12345));
}

TEST(CodePages, LengthsBuffersAndTerminators)
{
    // -1 counts the NUL; 0 as the output size asks for the length.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(WideCharToMultiByte(936, 0, L"\u5B89", -1, nullptr, 0, nullptr, nullptr), 3);

    wchar_t small[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, small, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char bytes[3];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u5B89", -1, bytes, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    struct Invalid {
        const char* what;
        int result;
    } invalid[] = {
        {"null input", MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, small, 2)},
        {"zero length", MultiByteToWideChar(CP_UTF8, 0, "a", 0, small, 2)},
        {"unknown code page", MultiByteToWideChar(12345, 0, "a", 1, small, 2)},
        {"default char with UTF-8", WideCharToMultiByte(CP_UTF8, 0, L"a", 1, bytes, 3, "?", nullptr)},
    };
    for (const Invalid& test : invalid)
        EXPECT_EQ(test.result, 0) << test.what;
    SetLastError(0);
    MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, small, 2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePages, InvalidInputIsReplacedOrRefused)
{
    struct Case {
        UINT codePage;
        std::string bytes;
        std::wstring lenient;
    } cases[] = {
        {CP_UTF8, "a\xFF" "b", L"a\uFFFDb"},
        {CP_UTF8, "\xC0\xAF", L"\uFFFD\uFFFD"},       // Overlong "/".
        {CP_UTF8, "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"}, // A surrogate.
        {CP_UTF8, "\xE5\xAE", L"\uFFFD\uFFFD"},         // Cut short.
        {936, "a\xB0", L"a?"},                          // A lead byte without its trail.
    };
    for (const Case& test : cases) {
        EXPECT_EQ(FromCodePage(test.codePage, test.bytes), test.lenient) << test.codePage;
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(test.codePage, MB_ERR_INVALID_CHARS, test.bytes.data(),
                                      static_cast<int>(test.bytes.size()), nullptr, 0),
                  0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
    // A real U+FFFD is valid input.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xEF\xBF\xBD", 3, nullptr, 0), 1);

    // Characters a code page lacks become the default character.
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToCodePage(1252, L"a\u5B89", &usedDefault), "a?");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToCodePage(936, L"\u00E9t\u00E9x", &usedDefault).back(), 'x');
    usedDefault = TRUE;
    EXPECT_EQ(ToCodePage(936, L"ok", &usedDefault), "ok");
    EXPECT_FALSE(usedDefault);
    char out[8];
    EXPECT_EQ(WideCharToMultiByte(1252, 0, L"\u5B89", 1, out, 8, "*", nullptr), 1);
    EXPECT_EQ(out[0], '*');
    // A lone surrogate is refused only when asked.
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, L"\xD800", 1, out, 8, nullptr, nullptr), 0);
    EXPECT_EQ(ToCodePage(CP_UTF8, std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(StringFunctions, CopyCompareAndMeasure)
{
    wchar_t buffer[8];
    EXPECT_STREQ(lstrcpynW(buffer, L"abcdefghij", 5), L"abcd");
    EXPECT_STREQ(lstrcatW(buffer, L"XY"), L"abcdXY");
    EXPECT_EQ(lstrlenW(buffer), 6);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    char narrow[8];
    EXPECT_STREQ(lstrcpyA(narrow, "kes"), "kes");
    EXPECT_STREQ(lstrcpynA(narrow, "kestrova", 1), "");

    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int compare;
        int compareIgnoringCase;
    } cases[] = {
        {L"abc", L"abc", 0, 0},     {L"abc", L"ABC", -1, 0},   {L"a", L"B", -1, -1},
        {L"B", L"a", 1, 1},         {L"\u00C9t\u00E9", L"\u00E9T\u00C9", 1, 0}, {L"ab", L"abc", -1, -1},
    };
    for (const Case& test : cases) {
        auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
        EXPECT_EQ(sign(lstrcmpW(test.a, test.b)), test.compare) << test.a << " " << test.b;
        EXPECT_EQ(sign(lstrcmpiW(test.a, test.b)), test.compareIgnoringCase) << test.a << " " << test.b;
    }
    EXPECT_EQ(lstrcmpiA("ZARVEL", "zarvel"), 0);
}

} // namespace
