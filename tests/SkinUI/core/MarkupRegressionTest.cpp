// Replays every input the fuzzer ever found troublesome: each must load or
// fail without a crash, and a failed load must leave no document.
#include "SkinUI/core/Markup.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(MarkupRegression, FuzzerInputsLoadOrFailCleanly)
{
    std::filesystem::path folder = std::filesystem::path(KESTROVA_SOURCE_DIR) / "fuzz" / "regressions" / "markup";
    std::filesystem::path corpus = std::filesystem::path(KESTROVA_SOURCE_DIR) / "fuzz" / "corpus" / "markup";
    int replayed = 0;
    for (const auto& dir : {folder, corpus}) {
        if (!std::filesystem::exists(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
                continue;
            std::string bytes = kestrova::test::ReadFileBytes(entry.path().string());
            if (bytes.empty())
                continue;
            // The fuzzer's input format: the first byte picks the encoding.
            for (int encoding = 0; encoding < 3; ++encoding) {
                SkinUI::CMarkup markup;
                bool loaded = markup.LoadFromMem(reinterpret_cast<const BYTE*>(bytes.data()) + 1,
                                                 static_cast<DWORD>(bytes.size() - 1), encoding);
                EXPECT_EQ(loaded, markup.IsValid()) << entry.path();
                if (loaded && markup.GetRoot().IsValid())
                    markup.GetRoot().GetAttributeCount();
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
