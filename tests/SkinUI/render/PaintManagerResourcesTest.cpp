// The paint manager's resource settings and the zip archive reader behind
// them.
#include "SkinUI/render/ZipArchive.h"
#include "SkinUI/window/PaintManagerUI.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <string>

using SkinUI::CPaintManagerUI;
using SkinUI::CZipArchive;

namespace {

std::string MakeZip(const std::string& path)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(nullptr, zip);
    zip_fileinfo info{};
    zipOpenNewFileInZip64(zip, "Images/Logo.PNG", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                          Z_DEFAULT_COMPRESSION, 0);
    std::string payload(5000, 'p');
    zipWriteInFileInZip(zip, payload.data(), static_cast<unsigned>(payload.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
    return kestrova::test::ReadFileBytes(path);
}

} // namespace

TEST(PaintManagerResources, ResourcePathGetsATrailingSeparator)
{
    struct Case {
        const wchar_t* set;
        const wchar_t* stored;
    } cases[] = {
        {L"C:\\skins", L"C:\\skins\\"},
        {L"C:\\skins\\", L"C:\\skins\\"},
        {L"skins/", L"skins/"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourcePath(c.set);
        EXPECT_STREQ(c.stored, CPaintManagerUI::GetResourcePath()) << c.set;
    }
    CPaintManagerUI::SetResourcePath(L"");
}

TEST(PaintManagerResources, InstanceAndResourceModule)
{
    auto instance = reinterpret_cast<HINSTANCE>(0x1000);
    auto module = reinterpret_cast<HINSTANCE>(0x2000);
    CPaintManagerUI::SetInstance(instance);
    EXPECT_EQ(instance, CPaintManagerUI::GetInstance());
    EXPECT_EQ(instance, CPaintManagerUI::GetResourceDll());
    CPaintManagerUI::SetResourceDll(module);
    EXPECT_EQ(module, CPaintManagerUI::GetResourceDll());
    CPaintManagerUI::SetResourceDll(nullptr);
    CPaintManagerUI::SetInstance(nullptr);
}

TEST(PaintManagerResources, ZipSettingsOpenAndCloseTheArchive)
{
    kestrova::test::TempDir dir("zip");
    std::string bytes = MakeZip(dir.File("res.zip"));
    std::string windowsDir = "Z:" + dir.Path() + "/";
    CPaintManagerUI::SetResourcePath(std::wstring(windowsDir.begin(), windowsDir.end()).c_str());

    CPaintManagerUI::SetResourceZip(L"res.zip", false);
    EXPECT_STREQ(L"res.zip", CPaintManagerUI::GetResourceZip());
    EXPECT_FALSE(CPaintManagerUI::IsCachedResourceZip());
    EXPECT_EQ(nullptr, CPaintManagerUI::GetResourceZipHandle());

    CPaintManagerUI::SetResourceZip(L"res.zip", true);
    ASSERT_NE(nullptr, CPaintManagerUI::GetResourceZipHandle());
    HANDLE cached = CPaintManagerUI::GetResourceZipHandle();
    CPaintManagerUI::SetResourceZip(L"res.zip", true);  // unchanged: kept as it is
    EXPECT_EQ(cached, CPaintManagerUI::GetResourceZipHandle());

    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
    EXPECT_STREQ(CPaintManagerUI::kMemoryZipName, CPaintManagerUI::GetResourceZip());
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    CZipArchive* archive = CZipArchive::FromHandle(CPaintManagerUI::GetResourceZipHandle());
    ASSERT_NE(nullptr, archive);
    ULONGLONG size = 0;
    EXPECT_TRUE(archive->FindEntry(L"images\\logo.png", &size));
    EXPECT_EQ(5000u, size);

    CPaintManagerUI::Term();
    EXPECT_EQ(nullptr, CPaintManagerUI::GetResourceZipHandle());
    CPaintManagerUI::SetResourceZip(L"", false);
    CPaintManagerUI::SetResourcePath(L"");
}

TEST(ZipArchive, UnzipReportsShortBlocksAndMissingEntries)
{
    kestrova::test::TempDir dir("zip");
    std::string bytes = MakeZip(dir.File("res.zip"));
    CZipArchive* archive = CZipArchive::OpenMemory(bytes.data(), bytes.size());
    ASSERT_NE(nullptr, archive);
    ULONGLONG size = 0;
    EXPECT_FALSE(archive->FindEntry(L"images/logo", &size));
    EXPECT_FALSE(archive->FindEntry(L"Images/Logo.PNG.bak", &size));
    ASSERT_TRUE(archive->FindEntry(L"IMAGES/LOGO.png", &size));
    std::string block(static_cast<size_t>(size), '\0');
    EXPECT_EQ(SkinUI::ZR_OK, archive->Unzip(block.data(), static_cast<DWORD>(size)));
    EXPECT_EQ(std::string(5000, 'p'), block);
    EXPECT_EQ(SkinUI::ZR_MORE, archive->Unzip(block.data(), 100));
    delete archive;

    EXPECT_EQ(nullptr, CZipArchive::OpenMemory(bytes.data(), 10));
    std::string windowsPath = "Z:" + dir.File("res.zip");
    std::wstring widePath(windowsPath.begin(), windowsPath.end());
    CZipArchive* fromFile = CZipArchive::OpenFile(widePath.c_str());
    ASSERT_NE(nullptr, fromFile);
    EXPECT_TRUE(fromFile->FindEntry(L"images/logo.png", &size));
    delete fromFile;
    EXPECT_EQ(nullptr, CZipArchive::OpenFile(L"Z:\\no\\such\\archive.zip"));
}
