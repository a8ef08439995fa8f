#include "support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

// Profile files are addressed by their Windows path on drive Z: (the root),
// so tests can use any temporary folder.
class Profile : public testing::Test {
protected:
    std::string WindowsPath(const std::string& name) const
    {
        std::string path = "Z:" + m_folder.File(name);
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return path;
    }
    std::string Linux(const std::string& name) const { return m_folder.File(name); }

    std::string ReadString(const char* section, const char* key, const char* fallback, const std::string& file,
                           DWORD size = 256, DWORD* length = nullptr)
    {
        std::vector<char> buffer(size + 1, '#');
        DWORD result = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
        if (length)
            *length = result;
        return std::string(buffer.data(), result);
    }

    // A list answer: the items with their NULs, and the final NUL.
    std::string ReadList(const char* section, const std::string& file, DWORD size = 256, DWORD* length = nullptr)
    {
        std::vector<char> buffer(size, '#');
        DWORD result = section ? GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, file.c_str())
                               : GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), size, file.c_str());
        if (length)
            *length = result;
        return std::string(buffer.data(), std::min<DWORD>(result + 1, size));
    }

    TempDir m_folder{"profile"};
};

// Bytes of a literal that holds NULs, without the literal's own final NUL.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

const char kSample[] = "; tool settings\r\n"
                       "[SelectCustomProxy]\r\n"
                       "YesOrNo = 1\r\n"
                       "Address=\"proxy.local\"\r\n"
                       "Port=8080\r\n"
                       "\r\n"
                       "[sec_20240305_183000]\r\n"
                       "ename=tool\r\n"
                       "; kept comment\r\n"
                       "key=\r\n"
                       "\r\n"
                       "[Last]\r\n"
                       "negative=-17\r\n"
                       "text=12abc\r\n";

TEST_F(Profile, ReadsValuesIgnoringCaseWithLfCrLfAndBom)
{
    std::string lf = kSample;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;)
        lf.replace(at, 2, "\n");
    struct Variant {
        const char* name;
        std::string bytes;
    } variants[] = {
        {"crlf.ini", kSample},
        {"lf.ini", lf},
        {"bom.ini", "\xEF\xBB\xBF" + std::string(kSample)},
    };
    for (const Variant& variant : variants) {
        ASSERT_TRUE(WriteFileBytes(Linux(variant.name), variant.bytes));
        std::string file = WindowsPath(variant.name);
        EXPECT_EQ(GetPrivateProfileIntA("selectcustomproxy", "YESORNO", 0, file.c_str()), 1u) << variant.name;
        EXPECT_EQ(ReadString("SelectCustomProxy", "address", "", file), "proxy.local") << variant.name;
        EXPECT_EQ(ReadString("Last", "missing", "fallback   ", file), "fallback") << variant.name;
        EXPECT_EQ(ReadString("Nowhere", "Port", nullptr, file), "") << variant.name;
        EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("Last", "negative", 5, file.c_str())), -17) << variant.name;
        EXPECT_EQ(GetPrivateProfileIntA("Last", "text", 5, file.c_str()), 12u) << variant.name;
        // An empty value gives the default of the integer form.
        EXPECT_EQ(GetPrivateProfileIntA("sec_20240305_183000", "key", 9, file.c_str()), 9u) << variant.name;
        std::wstring wideFile(file.begin(), file.end());
        EXPECT_EQ(GetPrivateProfileIntW(L"SelectCustomProxy", L"Port", 0, wideFile.c_str()), 8080u) << variant.name;
        wchar_t wide[64];
        EXPECT_EQ(GetPrivateProfileStringW(L"SELECTCUSTOMPROXY", L"Address", L"", wide, 64, wideFile.c_str()), 11u);
        EXPECT_EQ(std::wstring(wide), L"proxy.local") << variant.name;
    }
}

TEST_F(Profile, ListsSectionsAndKeysAndCutsLongAnswers)
{
    ASSERT_TRUE(WriteFileBytes(Linux("list.ini"), kSample));
    std::string file = WindowsPath("list.ini");
    EXPECT_EQ(ReadList(nullptr, file), Bytes("SelectCustomProxy\0sec_20240305_183000\0Last\0\0"));
    EXPECT_EQ(ReadList("selectcustomproxy", file), Bytes("YesOrNo\0Address\0Port\0\0"));
    EXPECT_EQ(ReadList("sec_20240305_183000", file), Bytes("ename\0key\0\0"));

    // Answers that do not fit: a value keeps size - 1 characters, a list
    // answers size - 2 and still ends with two NULs.
    DWORD length = 0;
    EXPECT_EQ(ReadString("SelectCustomProxy", "Address", "", file, 6, &length), "proxy");
    EXPECT_EQ(length, 5u);
    std::string cut = ReadList("SelectCustomProxy", file, 10, &length);
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(cut, Bytes("YesOrNo\0\0"));

    char section[256];
    std::string entries = Bytes("YesOrNo=1\0Address=\"proxy.local\"\0Port=8080\0\0");
    DWORD sectionLength = GetPrivateProfileSectionA("SelectCustomProxy", section, sizeof section, file.c_str());
    EXPECT_EQ(sectionLength, entries.size() - 1);
    EXPECT_EQ(std::string(section, sectionLength + 1), entries);
}

TEST_F(Profile, MissingAndEmptyFileNamesGiveTheDefault)
{
    struct Case {
        const char* file;
    } cases[] = {{""}, {nullptr}};
    for (const Case& test : cases) {
        EXPECT_EQ(GetPrivateProfileIntA("SelectCustomProxy", "YesOrNo", 0, test.file), 0u);
        char buffer[16];
        EXPECT_EQ(GetPrivateProfileStringA("a", "b", "dflt", buffer, sizeof buffer, test.file), 4u);
        EXPECT_STREQ(buffer, "dflt");
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA("a", "b", "c", test.file));
    }
    std::string missing = WindowsPath("missing.ini");
    EXPECT_EQ(GetPrivateProfileIntA("SelectCustomProxy", "YesOrNo", 7, missing.c_str()), 7u);
    EXPECT_EQ(ReadString("a", "b", "x", missing), "x");
    EXPECT_EQ(ReadList(nullptr, missing), Bytes("\0"));
    // Deleting from a missing file creates nothing.
    EXPECT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, missing.c_str()));
    EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    // A file in a missing folder cannot be written.
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "b", "c", WindowsPath("no/such/x.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Profile, SectionWritesReplaceTheSectionWholeAndKeepEverythingElse)
{
    ASSERT_TRUE(WriteFileBytes(Linux("log.ini"), kSample));
    std::string file = WindowsPath("log.ini");
    const char block[] = "ename=other\0runid=\0uid=AA-BB\0";
    ASSERT_TRUE(WritePrivateProfileSectionA("SEC_20240305_183000", block, file.c_str()));
    EXPECT_EQ(ReadFileBytes(Linux("log.ini")), "; tool settings\r\n"
                                               "[SelectCustomProxy]\r\n"
                                               "YesOrNo = 1\r\n"
                                               "Address=\"proxy.local\"\r\n"
                                               "Port=8080\r\n"
                                               "\r\n"
                                               "[sec_20240305_183000]\r\n"
                                               "ename=other\r\n"
                                               "runid=\r\n"
                                               "uid=AA-BB\r\n"
                                               "\r\n"
                                               "[Last]\r\n"
                                               "negative=-17\r\n"
                                               "text=12abc\r\n");

    // A new section goes to the end, in CRLF lines, even in an LF file that
    // does not end its last line; the BOM of the file stays.
    ASSERT_TRUE(WriteFileBytes(Linux("lf.ini"), "\xEF\xBB\xBF[a]\nx=1"));
    std::string lf = WindowsPath("lf.ini");
    ASSERT_TRUE(WritePrivateProfileSectionA("sec_1", "k=v\0", lf.c_str()));
    EXPECT_EQ(ReadFileBytes(Linux("lf.ini")), "\xEF\xBB\xBF[a]\nx=1\r\n[sec_1]\r\nk=v\r\n");

    // A null block deletes the section; an empty one keeps its header only.
    ASSERT_TRUE(WritePrivateProfileSectionA("a", nullptr, lf.c_str()));
    ASSERT_TRUE(WritePrivateProfileSectionW(L"sec_1", L"\0", std::wstring(lf.begin(), lf.end()).c_str()));
    EXPECT_EQ(ReadFileBytes(Linux("lf.ini")), "\xEF\xBB\xBF[sec_1]\r\n");
}

TEST_F(Profile, StringWritesSetDeleteAndCreate)
{
    std::string file = WindowsPath("new.ini");
    struct Step {
        const char* section;
        const char* key;
        const char* value;
        const char* fileAfter;
    } steps[] = {
        {"One", "a", "1", "[One]\r\na=1\r\n"},
        {"one", "B", "2", "[One]\r\na=1\r\nB=2\r\n"},
        {"ONE", "A", "x y", "[One]\r\na=x y\r\nB=2\r\n"},
        {"Two", "c", "3", "[One]\r\na=x y\r\nB=2\r\n[Two]\r\nc=3\r\n"},
        {"One", "b", nullptr, "[One]\r\na=x y\r\n[Two]\r\nc=3\r\n"},
        {"one", nullptr, nullptr, "[Two]\r\nc=3\r\n"},
        // Line breaks in a value or a key could forge lines or sections.
        {"Two", "c", "v\r\n[Evil]\r\nx=1", "[Two]\r\nc=v[Evil]x=1\r\n"},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(WritePrivateProfileStringA(step.section, step.key, step.value, file.c_str()));
        EXPECT_EQ(ReadFileBytes(Linux("new.ini")), step.fileAfter);
    }
    std::wstring wideFile(file.begin(), file.end());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Wide", L"name", L"\u5B89\u88C5", wideFile.c_str()));
    EXPECT_EQ(ReadString("wide", "NAME", "", file), "\xE5\xAE\x89\xE8\xA3\x85");
}

TEST_F(Profile, ConcurrentWritersLoseNothing)
{
    std::string file = WindowsPath("busy.ini");
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&file, t] {
            for (int i = 0; i < 25; ++i) {
                std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                WritePrivateProfileStringA("S", key.c_str(), "v", file.c_str());
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    std::vector<char> buffer(4096);
    DWORD length = GetPrivateProfileStringA("S", nullptr, "", buffer.data(), 4096, file.c_str());
    int keys = 0;
    for (DWORD i = 0; i < length; ++i)
        keys += buffer[i] == '\0';
    EXPECT_EQ(keys, 100);
}

} // namespace
