#include "app/VersionListParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(VersionListParser, AcceptedListsKeepOrderAndRepeats)
{
    struct Case {
        const char* list;
        std::vector<int> positions;
    };
    const Case cases[] = {
        { "3", { 3 } },
        { "6", { 6 } },
        { "1,3", { 1, 3 } },
        { "1, 3", { 1, 3 } },
        { " 2 ,\t5 ", { 2, 5 } },
        { "3,3", { 3, 3 } },
        { "+4", { 4 } },
        { "06", { 6 } },
        { "6,5,4,3,2,1", { 6, 5, 4, 3, 2, 1 } },
    };
    for (const auto& c : cases) {
        std::vector<int> positions;
        EXPECT_EQ(ParseVersionList(c.list, positions), VersionListResult::Ok) << c.list;
        EXPECT_EQ(positions, c.positions) << c.list;
    }
}

TEST(VersionListParser, AnyBadElementRejectsTheWholeList)
{
    struct Case {
        const char* list;
        VersionListResult result;
    };
    const Case cases[] = {
        { "", VersionListResult::EmptyElement },
        { " ", VersionListResult::EmptyElement },
        { "1,,3", VersionListResult::EmptyElement },
        { "1,3,", VersionListResult::EmptyElement },
        { ",1", VersionListResult::EmptyElement },
        { "abc", VersionListResult::NotANumber },
        { "3a", VersionListResult::NotANumber },
        { "1 3", VersionListResult::NotANumber },
        { "+", VersionListResult::NotANumber },
        { "-", VersionListResult::NotANumber },
        { "1;3", VersionListResult::NotANumber },
        { "0", VersionListResult::OutOfCatalog },
        { "7", VersionListResult::OutOfCatalog },
        { "-1", VersionListResult::OutOfCatalog },
        { "1,7", VersionListResult::OutOfCatalog },
        { "99999999999999999999", VersionListResult::OutOfCatalog },
    };
    for (const auto& c : cases) {
        std::vector<int> positions { 9 };
        EXPECT_EQ(ParseVersionList(c.list, positions), c.result) << '"' << c.list << '"';
        EXPECT_TRUE(positions.empty()) << c.list;
    }
}

} // namespace
