#include <layer/DebugOutput.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(DebugOutput, MessagesReachTheSinkInOrderAndOptionallyStderr)
{
    win32::TakeDebugOutput();
    OutputDebugStringA("WinHttpGetProxyForUrl 12180\n");
    OutputDebugStringW(L"\u5B89\u88C5\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(win32::TakeDebugOutput(),
              (std::vector<std::string>{"WinHttpGetProxyForUrl 12180\n", "\xE5\xAE\x89\xE8\xA3\x85\n", ""}));
    EXPECT_TRUE(win32::TakeDebugOutput().empty());

    setenv("KESTROVA_DEBUG_OUTPUT", "stderr", 1);
    testing::internal::CaptureStderr();
    OutputDebugStringA("to stderr\n");
    std::string captured = testing::internal::GetCapturedStderr();
    unsetenv("KESTROVA_DEBUG_OUTPUT");
    EXPECT_EQ(captured, "to stderr\n");
    EXPECT_EQ(win32::TakeDebugOutput(), std::vector<std::string>{"to stderr\n"});
    EXPECT_FALSE(IsDebuggerPresent());
}

TEST(Environment, VariablesFollowTheWin32SizeRules)
{
    ASSERT_TRUE(SetEnvironmentVariableA("KESTROVA_TEST_VARIABLE", "value"));
    char buffer[16];
    EXPECT_EQ(GetEnvironmentVariableA("KESTROVA_TEST_VARIABLE", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "value");
    EXPECT_EQ(GetEnvironmentVariableA("KESTROVA_TEST_VARIABLE", buffer, 5), 6u); // Size needed, with the NUL.
    wchar_t wide[16];
    EXPECT_EQ(GetEnvironmentVariableW(L"KESTROVA_TEST_VARIABLE", wide, 16), 5u);
    EXPECT_STREQ(wide, L"value");
    ASSERT_TRUE(SetEnvironmentVariableW(L"KESTROVA_TEST_VARIABLE", nullptr));
    SetLastError(0);
    EXPECT_EQ(GetEnvironmentVariableA("KESTROVA_TEST_VARIABLE", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));

    // The command line starts with the program's own Windows path.
    std::string line = GetCommandLineA();
    size_t start = line[0] == '"' ? 1 : 0;
    ASSERT_GT(line.size(), start + 3);
    EXPECT_EQ(line.substr(start + 1, 2), ":\\") << line;
    std::string program = line.substr(start, line.find(start ? '"' : ' ', start) - start);
    EXPECT_EQ(program.find('/'), std::string::npos) << line;
    EXPECT_EQ(std::wstring(GetCommandLineW()).size(), line.size());
}

} // namespace
