#include "services/TextConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The ANSI code page is UTF-8 on this platform.
TEST(TextConversionTest, AnsiIsUtf8)
{
    const struct {
        const char* narrow;
        const wchar_t* wide;
    } cases[] = {
        { "", L"" },
        { "abc", L"abc" },
        { "\xE5\xAE\x89\xE8\xA3\x85", L"\u5B89\u88C5" },
        { "C:\\zarvel_tools\\dotnetfx35.exe", L"C:\\zarvel_tools\\dotnetfx35.exe" },
        { "\xF0\x9F\x98\x80", L"\U0001F600" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiToWide(c.narrow), c.wide) << c.narrow;
        EXPECT_EQ(WideToAnsi(c.wide), c.narrow) << c.narrow;
    }
    // Narrow text ends at its first NUL.
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), L"ab");
}

TEST(TextConversionTest, WideToCodePage936)
{
    char buffer[32];
    std::memset(buffer, 'x', sizeof(buffer));
    ASSERT_EQ(WideToCodePage(buffer, L"\u5B89\u88C5 ok", sizeof(buffer), 936), buffer);
    EXPECT_STREQ(buffer, "\xB0\xB2\xD7\xB0 ok");

    ASSERT_EQ(WideToCodePage(buffer, L"\u5B89", sizeof(buffer), CP_UTF8), buffer);
    EXPECT_STREQ(buffer, "\xE5\xAE\x89");
}

TEST(TextConversionTest, WideToCodePageFailures)
{
    char buffer[4];
    // No text: nothing converted, an empty result.
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(WideToCodePage(buffer, nullptr, sizeof(buffer), CP_ACP), nullptr);
    EXPECT_EQ(buffer[0], '\0');
    // No buffer.
    EXPECT_EQ(WideToCodePage(nullptr, L"abc", 4, CP_ACP), nullptr);
    // A buffer too small for the text and its NUL: the conversion fails
    // and the buffer holds an empty text, never a cut one.
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(WideToCodePage(buffer, L"abcdef", sizeof(buffer), CP_ACP), nullptr);
    EXPECT_EQ(buffer[0], '\0');
    // The text exactly fits with its NUL.
    EXPECT_EQ(WideToCodePage(buffer, L"abc", sizeof(buffer), CP_ACP), buffer);
    EXPECT_STREQ(buffer, "abc");
}

} // namespace
