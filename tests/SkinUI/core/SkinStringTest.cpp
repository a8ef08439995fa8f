// CSkinString: the inline buffer and heap paths, texts that are the string's
// own characters, searching, slicing, replacing and formatting.
#include "SkinUI/core/SkinString.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::CSkinString;

namespace {

// True when the string's characters are inside the string object itself.
bool IsInline(const CSkinString& s)
{
    auto data = reinterpret_cast<const char*>(s.GetData());
    auto self = reinterpret_cast<const char*>(&s);
    return data >= self && data < self + sizeof(CSkinString);
}

std::wstring Repeat(wchar_t ch, int n)
{
    return std::wstring(static_cast<size_t>(n), ch);
}

} // namespace

TEST(SkinString, DefaultIsEmptyAndInline)
{
    CSkinString s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(0, s.GetLength());
    EXPECT_TRUE(IsInline(s));
    EXPECT_STREQ(L"x", CSkinString(L'x').GetData());
}

TEST(SkinString, StorageFollowsLengthAcrossTheInlineLimit)
{
    CSkinString s(Repeat(L'a', 62).c_str());
    EXPECT_TRUE(IsInline(s));
    s += L'b';
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(63, s.GetLength());
    EXPECT_EQ(Repeat(L'a', 62) + L"b", s.GetData());
    s = L"ten chars!";
    EXPECT_TRUE(IsInline(s));
    EXPECT_STREQ(L"ten chars!", s.GetData());
    s.Assign(Repeat(L'z', 200).c_str());
    EXPECT_FALSE(IsInline(s));
    s.Empty();
    EXPECT_TRUE(IsInline(s));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(SkinString, HeapBlockIsReusedWhileTheTextStaysLong)
{
    CSkinString s(Repeat(L'a', 100).c_str());
    LPCWSTR block = s.GetData();
    s.Assign(Repeat(L'b', 70).c_str());
    EXPECT_EQ(block, s.GetData());
    EXPECT_EQ(Repeat(L'b', 70), s.GetData());
}

TEST(SkinString, AssignCountsAndNulls)
{
    CSkinString s;
    s.Assign(L"abcdef", 3);
    EXPECT_STREQ(L"abc", s);
    s.Assign(nullptr, -1);
    EXPECT_STREQ(L"", s);
    s.Assign(L"ab", 10);
    EXPECT_STREQ(L"ab", s);
    s = static_cast<LPCWSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L"keep";
    s += static_cast<LPCWSTR>(nullptr);
    EXPECT_STREQ(L"keep", s);
    EXPECT_STREQ(L"keep", s + static_cast<LPCWSTR>(nullptr));
}

TEST(SkinString, OwnCharactersAsArgument)
{
    // Inline, heap, and the moves between them, each with the string's own
    // text as the argument (run under ASan this catches reads of freed
    // blocks).
    struct Case {
        int length;
        int from;
        int count;
    } cases[] = {{10, 2, 5}, {62, 0, 62}, {100, 10, 80}, {100, 10, 20}, {100, 0, 100}};
    for (const Case& c : cases) {
        std::wstring text;
        for (int i = 0; i < c.length; ++i)
            text += static_cast<wchar_t>(L'a' + i % 26);
        CSkinString s(text.c_str());
        s.Assign(s.GetData() + c.from, c.count);
        EXPECT_EQ(text.substr(static_cast<size_t>(c.from), static_cast<size_t>(c.count)), s.GetData())
            << c.length << " " << c.from << " " << c.count;
    }
    for (int length : {5, 40, 62, 63, 90}) {
        std::wstring text = Repeat(L'q', length);
        CSkinString s(text.c_str());
        s += s;
        EXPECT_EQ(text + text, s.GetData()) << length;
        s.Append(s.GetData() + 1);
        EXPECT_EQ(text + text + (text + text).substr(1), s.GetData()) << length;
    }
    CSkinString self(Repeat(L'x', 80).c_str());
    const CSkinString& alias = self;
    self = alias;
    EXPECT_EQ(Repeat(L'x', 80), self.GetData());
    CSkinString format(L"%d-%d");
    EXPECT_EQ(3, format.SmallFormat(format, 1, 2));
    EXPECT_STREQ(L"1-2", format);
}

TEST(SkinString, NarrowTextIsConvertedFromTheAnsiCodePage)
{
    CSkinString s;
    s = "plain \xE4\xB8\xAD";  // UTF-8 is the ANSI code page here.
    EXPECT_STREQ(L"plain \u4E2D", s);
    s += "!";
    EXPECT_STREQ(L"plain \u4E2D!", s);
    s = static_cast<LPCSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(SkinString, ComparisonsAreOrdinalAndNoCaseFolds)
{
    CSkinString s(L"Beta");
    EXPECT_TRUE(s == L"Beta");
    EXPECT_TRUE(s != L"beta");
    EXPECT_TRUE(s < L"Bf");
    EXPECT_TRUE(s <= L"Beta");
    EXPECT_TRUE(s > L"Alpha");
    EXPECT_TRUE(s >= L"Beta");
    EXPECT_TRUE(s < L"a");  // upper case sorts first by code unit
    EXPECT_EQ(0, s.CompareNoCase(L"bETA"));
    EXPECT_LT(s.CompareNoCase(L"GAMMA"), 0);
    s.MakeUpper();
    EXPECT_STREQ(L"BETA", s);
    s.MakeLower();
    EXPECT_STREQ(L"beta", s);
}

TEST(SkinString, Slices)
{
    struct Case {
        const wchar_t* text;
        char op;
        int a;
        int b;
        const wchar_t* expected;
    } cases[] = {
        {L"abcd", 'M', 1, -1, L"bcd"}, {L"abcd", 'M', 2, 10, L"cd"}, {L"abcd", 'M', 4, 1, L""},
        {L"abcd", 'M', 1, 0, L""},     {L"abc", 'R', 10, 0, L"abc"}, {L"abc", 'R', 2, 0, L"bc"},
        {L"abc", 'L', -1, 0, L""},     {L"abc", 'L', 2, 0, L"ab"},   {L"abc", 'L', 9, 0, L"abc"},
    };
    for (const Case& c : cases) {
        CSkinString s(c.text);
        CSkinString r = c.op == 'M' ? s.Mid(c.a, c.b) : c.op == 'R' ? s.Right(c.a) : s.Left(c.a);
        EXPECT_STREQ(c.expected, r) << c.text << " " << c.op << " " << c.a << " " << c.b;
    }
}

TEST(SkinString, FindAndReverseFind)
{
    CSkinString s(L"abc");
    EXPECT_EQ(0, s.Find(L"", 0));
    EXPECT_EQ(-1, s.Find(L"c", 3));
    EXPECT_EQ(-1, s.Find(L"c", 4));
    EXPECT_EQ(-1, s.Find(L"a", -1));
    EXPECT_EQ(1, s.Find(L"bc", 1));
    EXPECT_EQ(2, s.Find(L'c', 2));
    EXPECT_EQ(-1, s.Find(L'c', 3));
    EXPECT_EQ(-1, s.Find(L'x'));
    CSkinString t(L"a.b.c");
    EXPECT_EQ(3, t.ReverseFind(L'.'));
    EXPECT_EQ(-1, t.ReverseFind(L'x'));
}

TEST(SkinString, ReplaceNeverSearchesItsOwnOutput)
{
    CSkinString s(L"aXa");
    EXPECT_EQ(2, s.Replace(L"a", L"aa"));
    EXPECT_STREQ(L"aaXaa", s);
    EXPECT_EQ(0, s.Replace(L"q", L"z"));
    EXPECT_EQ(0, s.Replace(L"", L"z"));
    CSkinString t(L"one two one");
    EXPECT_EQ(2, t.Replace(L"one", L""));
    EXPECT_STREQ(L" two ", t);
    CSkinString u(L"abab");
    EXPECT_EQ(2, u.Replace(u.GetData() + 2, L"c"));  // the search text is the string's own
    EXPECT_STREQ(L"cc", u);
}

TEST(SkinString, FormatUsesWindowsWideConventions)
{
    CSkinString s;
    EXPECT_EQ(12, s.Format(L"%s|%S|%c|%d", L"wide", "nar", L'c', 7));
    EXPECT_STREQ(L"wide|nar|c|7", s);
    EXPECT_EQ(10, s.Format(L"%ls|%hs|%I64d", L"a", "b", static_cast<long long>(-12345)));
    EXPECT_STREQ(L"a|b|-12345", s);
    EXPECT_EQ(6, s.Format(L"%5.1f%%", 2.25));
    EXPECT_STREQ(L"  2.2%", s);
}

TEST(SkinString, FormatHasNoLimitButSmallFormatKeeps63)
{
    std::wstring hundred = Repeat(L'h', 100);
    CSkinString s;
    EXPECT_EQ(100, s.Format(L"%s", hundred.c_str()));
    EXPECT_EQ(hundred, s.GetData());
    EXPECT_EQ(-1, s.SmallFormat(L"%s", hundred.c_str()));
    EXPECT_EQ(Repeat(L'h', 63), s.GetData());
    EXPECT_EQ(63, s.SmallFormat(L"%s", Repeat(L'k', 63).c_str()));
    EXPECT_EQ(-1, s.SmallFormat(L"%s", Repeat(L'k', 64).c_str()));
    std::wstring big = Repeat(L'b', 100000);
    EXPECT_EQ(100000, s.Format(L"%s", big.c_str()));
    EXPECT_EQ(100000, s.GetLength());
}
