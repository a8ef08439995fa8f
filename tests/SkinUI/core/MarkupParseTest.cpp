// The markup reader's syntax: structure, attributes, entities, whitespace,
// and every error text at its location.
#include "MarkupSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using markup_test::Dump;
using markup_test::ErrorLocation;
using markup_test::ErrorMessage;
using SkinUI::CMarkup;
using SkinUI::CMarkupNode;

namespace {

std::wstring DumpOf(const wchar_t* text, bool preserveWhitespace = true)
{
    CMarkup markup;
    markup.SetPreserveWhitespace(preserveWhitespace);
    if (!markup.Load(text))
        return L"error: " + ErrorMessage(markup);
    return Dump(markup.GetRoot());
}

} // namespace

TEST(MarkupParse, Documents)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* dump;
    } cases[] = {
        {L"<Window size=\"400,300\"><Font name=\"a\"/></Window>", L"Window[size=400,300](Font[name=a])"},
        {L"<Control/>", L"Control"},
        {L"<Control />", L"Control"},
        {L"<Control  a=\"1\"  b = \"2\" />", L"Control[a=1,b=2]"},
        {L"<A x=\"\" y=\"2\"/>", L"A[x=,y=2]"},
        {L"<A x=\"1\"y=\"2\"/>", L"A[x=1,y=2]"},
        {L"<A>text</A>", L"A{text}"},
        {L"<A >text</A >", L"A{text}"},
        {L"<A><B/><C><D/></C></A>", L"A(B;C(D))"},
        {L"<A/><B/>", L"A;B"},
        {L"<a:b c_d=\"1\"/>", L"a:b[c_d=1]"},
        // The document may end inside the root, and inside a child of it.
        {L"<Window><Font name=\"a\"/>", L"Window(Font[name=a])"},
        {L"<Window>", L"Window"},
        {L"<Window>some text", L"Window{some text}"},
        {L"<Window>a &amp; b", L"Window{a & b}"},
        {L"<Window><Label>x", L"Window(Label{x})"},
        // Comments and declarations make no element.
        {L"<?xml version=\"1.0\"?><!-- note --><A><!-- in --><B/></A>", L"A(B)"},
        {L"<A><?pi?><B/></A>", L"A(B)"},
        // Everything after the top level's closing tag is not read.
        {L"<A/></Z> junk", L"A"},
        {L"", L""},
        {L"  \r\n\t ", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dump, DumpOf(c.text)) << c.text;
}

TEST(MarkupParse, NodeNavigation)
{
    CMarkup markup(L"<Window a=\"1\"><Font/><Image n=\"x\"/><Font/></Window>");
    ASSERT_TRUE(markup.IsValid());
    CMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(L"Window", root.GetName());
    EXPECT_TRUE(root.HasChildren());
    EXPECT_FALSE(root.HasSiblings());
    EXPECT_FALSE(root.GetParent().IsValid());
    CMarkupNode image = root.GetChild(L"Image");
    ASSERT_TRUE(image.IsValid());
    EXPECT_STREQ(L"x", image.GetAttributeValue(L"n"));
    EXPECT_STREQ(L"Window", image.GetParent().GetName());
    EXPECT_STREQ(L"Font", image.GetSibling().GetName());
    EXPECT_FALSE(root.GetChild(L"image").IsValid());  // names are case-sensitive
    EXPECT_FALSE(image.GetChild().IsValid());

    CMarkupNode none = root.GetChild(L"Missing");
    EXPECT_EQ(nullptr, none.GetName());
    EXPECT_EQ(nullptr, none.GetValue());
    EXPECT_EQ(nullptr, none.GetAttributeName(0));
    EXPECT_EQ(nullptr, none.GetAttributeValue(0));
    EXPECT_EQ(nullptr, none.GetAttributeValue(L"a"));
    EXPECT_FALSE(none.HasAttributes());
    EXPECT_EQ(0, none.GetAttributeCount());
    EXPECT_FALSE(none.GetChild().IsValid());

    EXPECT_STREQ(L"", root.GetAttributeName(1));
    EXPECT_STREQ(L"", root.GetAttributeValue(-1));
    EXPECT_STREQ(L"", root.GetAttributeValue(L"missing"));
    EXPECT_TRUE(root.HasAttribute(L"a"));
    EXPECT_FALSE(root.HasAttribute(L"A"));

    markup.Release();
    EXPECT_FALSE(markup.IsValid());
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(MarkupParse, EmptyDocumentIsLoadedWithoutARoot)
{
    CMarkup markup;
    EXPECT_FALSE(markup.IsValid());
    EXPECT_TRUE(markup.Load(L""));
    EXPECT_TRUE(markup.IsValid());
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(MarkupParse, AttributeValuesIntoBuffers)
{
    CMarkup markup(L"<A name=\"abcdef\"/>");
    CMarkupNode root = markup.GetRoot();
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_TRUE(root.GetAttributeValue(L"name", buffer, 8));
    EXPECT_STREQ(L"abcdef", buffer);
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_TRUE(root.GetAttributeValue(0, buffer, 3));
    EXPECT_EQ(L'a', buffer[0]);
    EXPECT_EQ(L'c', buffer[2]);
    EXPECT_EQ(L'#', buffer[3]);  // cut: not terminated
    EXPECT_FALSE(root.GetAttributeValue(1, buffer, 8));
    EXPECT_FALSE(root.GetAttributeValue(L"other", buffer, 8));
    EXPECT_FALSE(CMarkupNode().GetAttributeValue(L"name", buffer, 8));
}

TEST(MarkupParse, AtMost64AttributesAreMapped)
{
    std::wstring text = L"<A";
    for (int i = 0; i < 70; ++i)
        text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    text += L"/>";
    CMarkup markup(text.c_str());
    CMarkupNode root = markup.GetRoot();
    EXPECT_EQ(64, root.GetAttributeCount());
    EXPECT_STREQ(L"63", root.GetAttributeValue(L"a63"));
    EXPECT_STREQ(L"a63", root.GetAttributeName(63));
    for (int i = 64; i < 70; ++i)
        EXPECT_FALSE(root.HasAttribute((L"a" + std::to_wstring(i)).c_str())) << i;
}

TEST(MarkupParse, EntityReferences)
{
    struct Case {
        const wchar_t* value;
        const wchar_t* read;
    } cases[] = {
        {L"a &lt; b &amp;amp; c", L"a < b &amp; c"},
        {L"&amp;&lt;&gt;&quot;&apos;", L"&<>\"'"},
        {L"&&amp;", L"&&"},
        {L"&amp&lt;", L"&amp<"},
        {L"&AMP;", L"&AMP;"},
        {L"&nbsp;", L"&nbsp;"},
        // Character references are not part of the syntax.
        {L"&#65;&#x41;", L"&#65;&#x41;"},
        {L"&", L"&"},
        {L"x&", L"x&"},
    };
    for (const Case& c : cases) {
        std::wstring text = std::wstring(L"<A v=\"") + c.value + L"\" w=\"after\">" + c.value + L"<B/></A>";
        CMarkup markup;
        ASSERT_TRUE(markup.Load(text.c_str())) << c.value << ErrorMessage(markup);
        CMarkupNode root = markup.GetRoot();
        EXPECT_STREQ(c.read, root.GetAttributeValue(L"v")) << c.value;
        EXPECT_STREQ(L"after", root.GetAttributeValue(L"w")) << c.value;
        EXPECT_STREQ(c.read, root.GetValue()) << c.value;
        EXPECT_TRUE(root.GetChild(L"B").IsValid()) << c.value;
    }
}

TEST(MarkupParse, WhitespaceIsPreservedUnlessTurnedOff)
{
    EXPECT_EQ(L"A[v=x   y]{  a  \t b\n}", DumpOf(L"<A v=\"x   y\">  a  \t b\n</A>"));
    // Without preservation, a space swallows the whitespace after it; other
    // whitespace characters stay as written.
    EXPECT_EQ(L"A[v=x y]{ a b}", DumpOf(L"<A v=\"x   y\">  a  \t b</A>", false));
    EXPECT_EQ(L"A{a\t\tb}", DumpOf(L"<A>a\t\tb</A>", false));
}

TEST(MarkupParse, CdataIsNotPartOfTheSyntax)
{
    // The section is read like a comment that never ends, so it swallows the
    // rest of the document.
    EXPECT_EQ(L"A", DumpOf(L"<A><![CDATA[x]]><B/></A>"));
}

TEST(MarkupParse, ErrorsInsideDocuments)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* message;
        const wchar_t* location;
    } cases[] = {
        {L"<A><B></C></A>", L"Unmatched closing tag", L"C></A>"},
        {L"<A><B></BB></A>", L"Unmatched closing tag", L"></A>"},
        {L"<A>text<B/>more</A>", L"Expected start tag", L"more</A>"},
        {L"<A><!-- a -> b --></A>", L"Expected start tag", L"b --></A>"},
        {L"<A x='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<A x/>", L"Error while parsing attributes", L"/>"},
        {L"<A x=\"1\"!>", L"Error while parsing attributes", L"!>"},
        {L"<A x=\"1\"/ >", L"Expected start-tag closing", L"/ >"},
        {L"<A>\"x\"</A>junk", L"Expected start tag", L"junk"},
        {L"text", L"Expected start tag", L"text"},
        {L"<A></A>  <B></A>", L"Unmatched closing tag", L"A>"},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        EXPECT_FALSE(markup.Load(c.text)) << c.text;
        EXPECT_EQ(c.message, ErrorMessage(markup)) << c.text;
        EXPECT_EQ(c.location, ErrorLocation(markup)) << c.text;
        EXPECT_FALSE(markup.IsValid()) << c.text;
    }
}

TEST(MarkupParse, ErrorTextsAreCutToTheirBuffers)
{
    std::wstring text = L"<A></" + std::wstring(60, L'x') + L"></A>";
    CMarkup markup;
    ASSERT_FALSE(markup.Load(text.c_str()));
    EXPECT_EQ(std::wstring(49, L'x'), ErrorLocation(markup));
    WCHAR small[8];
    std::fill(std::begin(small), std::end(small), L'#');
    markup.GetLastErrorMessage(small, 5);
    EXPECT_EQ(std::wstring(L"Unmat"), std::wstring(small, 5));
    EXPECT_EQ(L'#', small[5]);
}

TEST(MarkupParse, FailedLoadReleasesThePreviousDocument)
{
    CMarkup markup(L"<A/>");
    ASSERT_TRUE(markup.IsValid());
    EXPECT_FALSE(markup.Load(L"<A"));
    EXPECT_FALSE(markup.IsValid());
    EXPECT_TRUE(markup.Load(L"<B/>"));
    EXPECT_STREQ(L"B", markup.GetRoot().GetName());
    EXPECT_EQ(L"", ErrorMessage(markup));
}

// Every truncated prefix of each construct, read three levels deep (where
// the end of the document is an error), fails with the message of the
// construct's part it was cut in. The ranges are prefix lengths [from, to).
TEST(MarkupParse, EveryTruncatedPrefixIsAnError)
{
    struct Range {
        size_t from;
        size_t to;
        const wchar_t* message;
        const wchar_t* location;
    };
    struct Construct {
        const wchar_t* name;
        const wchar_t* text;
        std::vector<Range> ranges;
    };
    const wchar_t* kName = L"Error parsing element name";
    const wchar_t* kStartTag = L"Expected start tag";
    const wchar_t* kClosing = L"Expected start-tag closing";
    const wchar_t* kAttributes = L"Error while parsing attributes";
    const wchar_t* kValue = L"Expected attribute value";
    const wchar_t* kString = L"Error while parsing attribute string";
    const wchar_t* kEndTag = L"Expected end-tag start";
    const wchar_t* kUnmatched = L"Unmatched closing tag";
    const Construct constructs[] = {
        {L"start tag", L"<Button/>", {{0, 1, kEndTag, L""}, {1, 8, kName, L""}, {8, 9, kClosing, L""},
                                     {9, 10, kStartTag, L""}}},
        {L"attribute", L"<B text=\"a\" x=\"1\"/>",
         {{0, 1, kEndTag, L""}, {1, 3, kName, L""}, {3, 4, kClosing, L""}, {4, 8, kAttributes, L""},
          {8, 9, kValue, L""}, {9, 11, kString, L""}, {11, 13, kClosing, L""}, {13, 14, kAttributes, L""},
          {14, 15, kValue, L""}, {15, 17, kString, L""}, {17, 18, kClosing, L""}, {18, 19, kClosing, L"/"},
          {19, 20, kStartTag, L""}}},
        {L"quoted value", L"<B v=\"a &lt; b\"/>",
         {{0, 1, kEndTag, L""}, {1, 3, kName, L""}, {3, 4, kClosing, L""}, {4, 5, kAttributes, L""},
          {5, 6, kValue, L""}, {6, 15, kString, L""}, {15, 16, kClosing, L""}, {16, 17, kClosing, L"/"},
          {17, 18, kStartTag, L""}}},
        {L"element", L"<B>x</B>",
         {{0, 1, kEndTag, L""}, {1, 3, kName, L""}, {3, 5, kEndTag, L""}, {5, 6, kName, L""},
          {6, 8, kUnmatched, L""}, {8, 9, kStartTag, L""}}},
        {L"comment", L"<!-- c -->", {{0, 1, kEndTag, L""}, {1, 2, kName, L""}, {2, 11, kStartTag, L""}}},
        {L"processing instruction", L"<?xml v=\"1\"?>",
         {{0, 1, kEndTag, L""}, {1, 2, kName, L""}, {2, 14, kStartTag, L""}}},
        {L"cdata", L"<![CDATA[x]]>", {{0, 1, kEndTag, L""}, {1, 2, kName, L""}, {2, 14, kStartTag, L""}}},
        {L"closing tag", L"</T>", {{0, 1, kEndTag, L""}, {1, 2, kName, L""}, {2, 4, kUnmatched, L""},
                                   {4, 5, kStartTag, L""}}},
    };
    for (const Construct& construct : constructs) {
        std::wstring text = construct.text;
        // The table covers every prefix, the whole construct included.
        size_t covered = 0;
        for (const Range& range : construct.ranges) {
            ASSERT_EQ(covered, range.from) << construct.name;
            covered = range.to;
        }
        ASSERT_EQ(text.size() + 1, covered) << construct.name;

        for (const Range& range : construct.ranges) {
            for (size_t length = range.from; length < range.to; ++length) {
                std::wstring document = L"<R><S><T>" + text.substr(0, length);
                CMarkup markup;
                EXPECT_FALSE(markup.Load(document.c_str())) << construct.name << ": " << document;
                EXPECT_EQ(range.message, ErrorMessage(markup)) << construct.name << ": " << document;
                EXPECT_EQ(range.location, ErrorLocation(markup)) << construct.name << ": " << document;
            }
        }
    }
}
