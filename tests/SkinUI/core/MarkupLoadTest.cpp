// Loading skin documents from memory in every encoding, from files under
// the resource folder and from entries of the resource zip archive.
#include "MarkupSupport.h"

#include "SkinUI/window/PaintManagerUI.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using markup_test::Dump;
using markup_test::ErrorLocation;
using markup_test::ErrorMessage;
using SkinUI::CMarkup;
using SkinUI::CPaintManagerUI;

namespace {

// The skin used for the encoding tests: CJK text and a character outside
// the Basic Multilingual Plane.
const wchar_t* kSkinText =
    L"<Window caption=\"\u5B89\u88C5\" size=\"400,300\">\r\n"
    L"  <Label text=\"\U0001F600 &amp; more\">body</Label>\r\n"
    L"</Window>";

std::string Utf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t wc : text) {
        auto c = static_cast<unsigned>(wc);
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

std::string Utf16(const std::wstring& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](unsigned unit) {
        char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (wchar_t wc : text) {
        auto c = static_cast<unsigned>(wc);
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

std::wstring LoadMemory(const std::string& bytes, int encoding)
{
    CMarkup markup;
    if (!markup.LoadFromMem(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                            encoding))
        return L"error: " + ErrorMessage(markup);
    return Dump(markup.GetRoot());
}

std::string DriveC()
{
    const char* folder = getenv("KESTROVA_DRIVE_C");
    return folder ? folder : "";
}

// Each test gets its own resource folder C:\skin<n>\ and no zip.
class MarkupFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        static int s_counter = 0;
        m_name = "skin" + std::to_string(++s_counter);
        m_folder = DriveC() + "/" + m_name;
        std::filesystem::create_directories(m_folder);
        std::wstring windowsPath = L"C:\\" + std::wstring(m_name.begin(), m_name.end());
        CPaintManagerUI::SetResourcePath(windowsPath.c_str());
        CPaintManagerUI::SetResourceZip(L"", false);
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(L"");
    }

    std::string File(const std::string& name) const { return m_folder + "/" + name; }

    std::string m_name;
    std::string m_folder;
};

struct ZipEntry {
    std::string name;
    std::string bytes;
    bool stored = false;
};

bool WriteZip(const std::string& path, const std::vector<ZipEntry>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    for (const ZipEntry& entry : entries) {
        zip_fileinfo info{};
        int method = entry.stored ? 0 : Z_DEFLATED;
        if (zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                  Z_DEFAULT_COMPRESSION, 1) != ZIP_OK)
            return false;
        if (!entry.bytes.empty() &&
            zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) != ZIP_OK)
            return false;
        zipCloseFileInZip(zip);
    }
    return zipClose(zip, nullptr) == ZIP_OK;
}

std::string LargeDocument(size_t size)
{
    std::string text = "<A>";
    text += std::string(size - text.size() - 4, ' ');
    text += "</A>";
    return text;
}

} // namespace

TEST(MarkupEncoding, EveryEncodingReadsTheSameTree)
{
    std::wstring expected = Dump(CMarkup(kSkinText).GetRoot());
    ASSERT_NE(L"", expected);
    std::string utf8 = Utf8(kSkinText);
    EXPECT_EQ(expected, LoadMemory(utf8, CMarkup::XMLFILE_ENCODING_UTF8));
    EXPECT_EQ(expected, LoadMemory("\xEF\xBB\xBF" + utf8, CMarkup::XMLFILE_ENCODING_UTF8));
    EXPECT_EQ(expected, LoadMemory(utf8, CMarkup::XMLFILE_ENCODING_ANSI));  // the ANSI code page is UTF-8
    EXPECT_EQ(expected, LoadMemory(Utf16(kSkinText, false), CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_EQ(expected, LoadMemory(Utf16(kSkinText, true), CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_EQ(expected, LoadMemory(Utf16(kSkinText, true), 7));  // any other code means UTF-16
    // An odd trailing byte of UTF-16 is dropped.
    EXPECT_EQ(expected, LoadMemory(Utf16(kSkinText, false) + "x", CMarkup::XMLFILE_ENCODING_UNICODE));
}

TEST(MarkupEncoding, Utf16NeedsItsByteOrderMark)
{
    CMarkup markup;
    std::string noMark = Utf16(L"<A/>", false).substr(2);
    EXPECT_FALSE(markup.LoadFromMem(reinterpret_cast<const BYTE*>(noMark.data()),
                                    static_cast<DWORD>(noMark.size()), CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_FALSE(markup.IsValid());
    EXPECT_FALSE(markup.LoadFromMem(reinterpret_cast<const BYTE*>("\xFF"), 1, CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_TRUE(markup.LoadFromMem(reinterpret_cast<const BYTE*>("\xFF\xFE"), 2, CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(MarkupEncoding, ByteOrderMarkOnlyCountsAtTheStartOfUtf8)
{
    // A block of just the mark is an empty document; a mark-like prefix of
    // two bytes is text (and not a start tag).
    EXPECT_EQ(L"", LoadMemory("\xEF\xBB\xBF", CMarkup::XMLFILE_ENCODING_UTF8));
    EXPECT_EQ(L"error: Expected start tag", LoadMemory("\xEF\xBB", CMarkup::XMLFILE_ENCODING_UTF8));
    EXPECT_EQ(L"", LoadMemory("", CMarkup::XMLFILE_ENCODING_UTF8));
}

TEST_F(MarkupFileTest, ReadsFilesUnderTheResourceFolder)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("main_wnd.xml"), Utf8(kSkinText)));
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("utf16.xml"), Utf16(kSkinText, true)));
    std::wstring expected = Dump(CMarkup(kSkinText).GetRoot());
    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"main_wnd.xml")) << ErrorMessage(markup);
    EXPECT_EQ(expected, Dump(markup.GetRoot()));
    ASSERT_TRUE(markup.LoadFromFile(L"utf16.xml", CMarkup::XMLFILE_ENCODING_UNICODE));
    EXPECT_EQ(expected, Dump(markup.GetRoot()));
}

TEST_F(MarkupFileTest, FileErrors)
{
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("empty.xml"), ""));
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("limit.xml"), LargeDocument(CMarkup::kMaxFileSize)));
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("big.xml"), LargeDocument(CMarkup::kMaxFileSize + 1)));
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("bad.xml"), "<A><B></C></A>"));
    struct Case {
        const wchar_t* file;
        const wchar_t* message;
    } cases[] = {
        {L"missing.xml", L"Error opening file"},
        {L"empty.xml", L"File is empty"},
        {L"big.xml", L"File too large"},
        {L"bad.xml", L"Unmatched closing tag"},
    };
    for (const Case& c : cases) {
        CMarkup markup(L"<Old/>");
        EXPECT_FALSE(markup.LoadFromFile(c.file)) << c.file;
        EXPECT_EQ(c.message, ErrorMessage(markup)) << c.file;
        EXPECT_FALSE(markup.IsValid()) << c.file;
    }
    CMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"limit.xml")) << ErrorMessage(markup);
    EXPECT_EQ(L"", ErrorLocation(markup));
}

TEST_F(MarkupFileTest, ReadsZipEntriesIgnoringCase)
{
    std::string skin = Utf8(kSkinText);
    ASSERT_TRUE(WriteZip(File("skin.zip"), {{"Main_Wnd.XML", skin},
                                            {"dialogs/About.xml", "<About/>", true},
                                            {"empty.xml", ""},
                                            {"big.xml", LargeDocument(CMarkup::kMaxFileSize + 1)},
                                            {"bad.xml", "<A><B></C></A>"}}));
    std::wstring expected = Dump(CMarkup(kSkinText).GetRoot());
    struct Case {
        const wchar_t* entry;
        const wchar_t* result;
    } cases[] = {
        {L"main_wnd.xml", expected.c_str()},
        {L"MAIN_WND.xml", expected.c_str()},
        {L"DIALOGS\\about.XML", L"About"},
        {L"dialogs/about.xml", L"About"},
        {L"missing.xml", L"error: Could not find ziped file"},
        {L"main_wnd", L"error: Could not find ziped file"},
        {L"empty.xml", L"error: File is empty"},
        {L"big.xml", L"error: File too large"},
        {L"bad.xml", L"error: Unmatched closing tag"},
    };
    // By file name for each read, kept open, and held in memory.
    std::string archive = kestrova::test::ReadFileBytes(File("skin.zip"));
    for (int mode = 0; mode < 3; ++mode) {
        if (mode == 0)
            CPaintManagerUI::SetResourceZip(L"skin.zip", false);
        else if (mode == 1)
            CPaintManagerUI::SetResourceZip(L"skin.zip", true);
        else
            CPaintManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()));
        EXPECT_EQ(mode != 0, CPaintManagerUI::GetResourceZipHandle() != nullptr) << mode;
        for (const Case& c : cases) {
            CMarkup markup;
            std::wstring result;
            if (markup.LoadFromFile(c.entry))
                result = Dump(markup.GetRoot());
            else
                result = L"error: " + ErrorMessage(markup);
            EXPECT_EQ(c.result, result) << c.entry << " mode " << mode;
        }
        CPaintManagerUI::SetResourceZip(L"", false);
    }
}

TEST_F(MarkupFileTest, ZipErrors)
{
    CMarkup markup;
    CPaintManagerUI::SetResourceZip(L"absent.zip", false);
    EXPECT_FALSE(markup.LoadFromFile(L"main_wnd.xml"));
    EXPECT_EQ(L"Error opening zip file", ErrorMessage(markup));
    CPaintManagerUI::SetResourceZip(L"", false);

    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("notzip.zip"), "this is not an archive"));
    CPaintManagerUI::SetResourceZip(L"notzip.zip", true);
    EXPECT_EQ(nullptr, CPaintManagerUI::GetResourceZipHandle());
    EXPECT_FALSE(markup.LoadFromFile(L"main_wnd.xml"));
    EXPECT_EQ(L"Error opening zip file", ErrorMessage(markup));
    CPaintManagerUI::SetResourceZip(L"", false);

    // A stored entry whose bytes were changed after packing fails its CRC.
    ASSERT_TRUE(WriteZip(File("corrupt.zip"), {{"doc.xml", "<Doc marker=\"ABCDEFGH\"/>", true}}));
    std::string bytes = kestrova::test::ReadFileBytes(File("corrupt.zip"));
    size_t at = bytes.find("ABCDEFGH");
    ASSERT_NE(std::string::npos, at);
    bytes[at] = 'Z';
    ASSERT_TRUE(kestrova::test::WriteFileBytes(File("corrupt.zip"), bytes));
    CPaintManagerUI::SetResourceZip(L"corrupt.zip", false);
    EXPECT_FALSE(markup.LoadFromFile(L"doc.xml"));
    EXPECT_EQ(L"Could not unzip file", ErrorMessage(markup));
}
