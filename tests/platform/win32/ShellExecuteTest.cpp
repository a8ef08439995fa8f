// ShellExecute with real files: scripts that record how they were run, and
// stand-ins for wine and xdg-open on a private search path (the real ones are
// desktop programs this machine need not have).
#include "support/TempDir.h"

#include <layer/PathMapping.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include <sys/stat.h>

namespace {

using kestrova::test::ReadFileBytes;
using kestrova::test::TempDir;
using kestrova::test::WriteFileBytes;

INT_PTR Answer(HINSTANCE instance)
{
    return reinterpret_cast<INT_PTR>(instance);
}

// Waits for a file the started program writes and returns its text.
std::string WaitForFile(const std::string& path)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string text = ReadFileBytes(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ReadFileBytes(path);
}

// Sets PATH for the life of the object.
class SearchPath {
public:
    explicit SearchPath(const std::string& path)
        : m_previous(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        setenv("PATH", path.c_str(), 1);
    }
    ~SearchPath() { setenv("PATH", m_previous.c_str(), 1); }

private:
    std::string m_previous;
};

void WriteExecutable(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(WriteFileBytes(path, text));
    chmod(path.c_str(), 0755);
}

class ShellExecuteTest : public testing::Test {
protected:
    std::string DriveFile(const std::string& relative)
    {
        std::string path = win32::DriveFolder('C') + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        return path;
    }

    TempDir m_out { "shell" };
};

TEST_F(ShellExecuteTest, ScriptRunsWithSplitParametersInItsWorkingFolder)
{
    // The script is not executable: like Windows, the shell runs it anyway.
    std::string record = m_out.File("args.txt");
    ASSERT_TRUE(WriteFileBytes(DriveFile("tools/record.exe"),
                               "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '[%s]' \"$a\"; done; echo; } > '" + record
                                   + "'\n"));
    std::filesystem::create_directories(DriveFile("work/x"));
    struct Case {
        const char* parameters;
        const char* arguments;
    };
    const Case cases[] = {
        { "/Q", "[/Q]" },
        { "a  b\tc", "[a][b][c]" },
        { "\"two words\" x", "[two words][x]" },
        { "a\\\\\"b c\" d", "[a\\b c][d]" },
        { "\\\"q\\\" back\\slash", "[\"q\"][back\\slash]" },
        { "\"in \"\"quotes\"\"\"", "[in \"quotes\"]" },
        { "", "" },
    };
    for (const auto& c : cases) {
        std::filesystem::remove(record);
        INT_PTR answer = Answer(ShellExecuteA(nullptr, "open", "C:\\tools\\record.exe", c.parameters, "C:\\work", 1));
        EXPECT_GT(answer, 32) << c.parameters;
        std::string expected = std::filesystem::canonical(DriveFile("work")).string() + "\n" + c.arguments + "\n";
        EXPECT_EQ(WaitForFile(record), expected) << c.parameters;
    }
}

TEST_F(ShellExecuteTest, ErrorsAnswerAtMostThirtyTwo)
{
    ASSERT_TRUE(WriteFileBytes(DriveFile("tools/ok.exe"), "#!/bin/sh\nexit 0\n"));
    ASSERT_TRUE(WriteFileBytes(DriveFile("tools/bad.exe"), "#!/nonexistent/interpreter\n"));
    TempDir emptyPath("emptypath");
    SearchPath path(emptyPath.Path());
    struct Case {
        const wchar_t* verb;
        const wchar_t* file;
        const wchar_t* directory;
        INT_PTR answer;
    };
    const Case cases[] = {
        { L"open", L"C:\\tools\\missing.exe", nullptr, SE_ERR_FNF },
        { nullptr, L"C:\\no-folder\\missing.exe", nullptr, SE_ERR_FNF },
        { L"open", L"cleanup_tool.exe", nullptr, SE_ERR_FNF },
        { L"open", L"", nullptr, SE_ERR_FNF },
        { L"open", L"C:\\tools\\ok.exe", L"C:\\missing-folder", SE_ERR_PNF },
        { L"print", L"C:\\tools\\ok.exe", nullptr, SE_ERR_NOASSOC },
        { L"open", L"C:\\tools\\bad.exe", nullptr, SE_ERR_NOASSOC },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Answer(ShellExecuteW(nullptr, c.verb, c.file, nullptr, c.directory, 1)), c.answer) << c.file;
}

TEST_F(ShellExecuteTest, ElfBinaryRunsDirectlyAndNeedsItsExecuteBit)
{
    std::string copy = DriveFile("tools/true.exe");
    std::filesystem::copy_file("/bin/true", copy, std::filesystem::copy_options::overwrite_existing);
    EXPECT_GT(Answer(ShellExecuteA(nullptr, "OPEN", "C:/tools/true.exe", nullptr, nullptr, 1)), 32);
    chmod(copy.c_str(), 0644);
    EXPECT_EQ(Answer(ShellExecuteA(nullptr, "open", "C:\\tools\\true.exe", nullptr, nullptr, 1)), SE_ERR_ACCESSDENIED);
}

TEST_F(ShellExecuteTest, WindowsProgramGoesToWineWithThePrefixOfTheDrive)
{
    // A fake prefix: the C: drive is its drive_c.
    TempDir prefix("wineprefix");
    std::filesystem::create_directories(prefix.File("drive_c/setup"));
    ASSERT_TRUE(WriteFileBytes(prefix.File("system.reg"), "WINE REGISTRY Version 2\n#arch=win64\n"));
    ASSERT_TRUE(WriteFileBytes(prefix.File("drive_c/setup/dotnetfx35.exe"), std::string("MZ\x90\0\3\0", 6)));
    std::string previousDrive = std::getenv("KESTROVA_DRIVE_C");
    setenv("KESTROVA_DRIVE_C", prefix.File("drive_c").c_str(), 1);

    TempDir bin("bin");
    {
        SearchPath path(bin.Path());
        EXPECT_EQ(Answer(ShellExecuteA(nullptr, "open", "C:\\setup\\dotnetfx35.exe", "/q", nullptr, 1)), SE_ERR_NOASSOC)
            << "without wine there is no way to run it";
    }
    std::string record = m_out.File("wine.txt");
    WriteExecutable(bin.File("wine"), "#!/bin/sh\necho \"$WINEPREFIX|$1|$2\" > '" + record + "'\n");
    {
        SearchPath path(bin.Path());
        EXPECT_GT(Answer(ShellExecuteA(nullptr, "open", "C:\\setup\\dotnetfx35.exe", "/q", nullptr, 1)), 32);
    }
    EXPECT_EQ(WaitForFile(record), prefix.Path() + "|" + prefix.File("drive_c/setup/dotnetfx35.exe") + "|/q\n");
    setenv("KESTROVA_DRIVE_C", previousDrive.c_str(), 1);
}

TEST_F(ShellExecuteTest, DocumentsAndAddressesGoToTheDesktopOpener)
{
    ASSERT_TRUE(WriteFileBytes(DriveFile("docs/readme.txt"), "hello\n"));
    TempDir bin("bin");
    {
        SearchPath path(bin.Path());
        INT_PTR answer = Answer(ShellExecuteW(nullptr, L"open", L"https://example.invalid/page?x=1", nullptr, nullptr, 1));
        EXPECT_GT(answer, 0);
        EXPECT_LE(answer, 32);
        EXPECT_NE(answer, SE_ERR_FNF) << "a missing opener must not look like a missing file";
    }
    std::string record = m_out.File("opened.txt");
    WriteExecutable(bin.File("xdg-open"), "#!/bin/sh\necho \"$1\" >> '" + record + "'\n");
    SearchPath path(bin.Path());
    EXPECT_GT(Answer(ShellExecuteW(nullptr, nullptr, L"https://example.invalid/page?x=1", nullptr, nullptr, 1)), 32);
    EXPECT_EQ(WaitForFile(record), "https://example.invalid/page?x=1\n");
    std::filesystem::remove(record);
    EXPECT_GT(Answer(ShellExecuteW(nullptr, L"open", L"C:\\docs\\readme.txt", nullptr, nullptr, 1)), 32);
    EXPECT_EQ(WaitForFile(record), DriveFile("docs/readme.txt") + "\n");
}

} // namespace
