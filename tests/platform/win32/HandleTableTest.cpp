#include <windows.h>

#include <gtest/gtest.h>

TEST(HandleTable, StaleAndForeignHandlesFailWithInvalidHandle)
{
    static const LONG_PTR values[] = {0, 0x100000, 0x101, 12345678};
    for (LONG_PTR value : values) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(value))) << value;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << value;
    }
}

TEST(GlobalMemory, ZeroInitialisedBlockKnowsItsSize)
{
    HGLOBAL block = GlobalAlloc(GPTR, 37);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 37u);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(bytes[i], 0);
    EXPECT_EQ(GlobalFree(block), nullptr);
}
