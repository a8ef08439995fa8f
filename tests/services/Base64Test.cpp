#include "services/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kStandardAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct EncodeCase {
    std::string bytes;
    const char* tool;     // With the tool's alphabet.
    const char* standard; // With the standard alphabet.
};

TEST(Base64Test, ToolAndStandardAlphabets)
{
    const EncodeCase cases[] = {
        { "", "", "" },
        { "a", "YQ==", "YQ==" },
        { "ab", "YWI=", "YWI=" },
        { "abc", "YWJj", "YWJj" },
        { "abcd", "YWJjZA==", "YWJjZA==" },
        { "\xFB\xEF\xBE", "@@@@", "++++" },
        { "\xFF\xFF\xFF", "!!!!", "////" },
        { "\xFB", "@w==", "+w==" },
        { "\xFF\xFF", "!!8=", "//8=" },
        { std::string("\0\0\0", 3), "AAAA", "AAAA" },
        { "Hello, World!", "SGVsbG8sIFdvcmxkIQ==", "SGVsbG8sIFdvcmxkIQ==" },
    };
    for (const EncodeCase& c : cases) {
        auto bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(Base64Encode(bytes, c.bytes.size(), kToolBase64Alphabet), c.tool) << c.standard;
        EXPECT_EQ(Base64Encode(bytes, c.bytes.size(), kStandardAlphabet), c.standard);
    }
}

// No line breaks, whatever the length.
TEST(Base64Test, LongInputHasNoLineBreaks)
{
    std::string bytes(3000, 'x');
    std::string text = Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), kToolBase64Alphabet);
    EXPECT_EQ(text.size(), 4000u);
    EXPECT_EQ(text.find_first_not_of("eHh4"), std::string::npos);
}

} // namespace
