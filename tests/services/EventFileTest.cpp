#include "services/EventFile.h"

#include "ModuleFiles.h"
#include "support/TempDir.h"

#include <layer/Clock.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kestrova::test::EventFilePath;
using kestrova::test::ReadFileBytes;

// 2024-03-05 18:30:00 UTC, 2024-03-05 10:30:00 UTC.
constexpr int64_t kEvening = 1709663400;
constexpr int64_t kMorning = 1709634600;

// The file's lines, without their line ends and without empty lines.
std::vector<std::string> EventFileLines()
{
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(EventFilePath().string());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

EventRecord SampleRecord()
{
    EventRecord record;
    record.ename = "1234";
    record.runid = "r7f3k";
    record.uid = "00-1A-2B-3C-4D-5E";
    record.pid = "4242";
    record.state = "6";
    record.data = "1";
    record.remarks = "";
    record.t = "1709663400";
    return record;
}

class EventFileTest : public testing::Test {
protected:
    void SetUp() override { kestrova::test::RemoveModuleFiles(); }
    void TearDown() override
    {
        win32::SetClockOverride(std::nullopt);
        kestrova::test::RemoveModuleFiles();
    }
};

TEST_F(EventFileTest, SectionNames)
{
    const struct {
        SYSTEMTIME utc;
        const char* name;
    } cases[] = {
        { { 2024, 3, 2, 5, 18, 30, 0, 0 }, "sec_20240305_263000" },
        { { 2024, 3, 2, 5, 10, 30, 0, 0 }, "sec_20240305_183000" },
        { { 2024, 3, 2, 5, 23, 59, 59, 999 }, "sec_20240305_315959" },
        { { 2024, 12, 2, 31, 0, 0, 0, 0 }, "sec_20241231_080000" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(EventSectionName(c.utc), c.name);
}

// One section of nine lines named after the moment (UTC + 8 for the hour,
// no carry into the date), in the field order, key empty.
TEST_F(EventFileTest, WritesTheRecordAsOneSection)
{
    win32::SetClockOverride(kMorning);
    WriteEventSection(SampleRecord());
    const std::vector<std::string> expected = {
        "[sec_20240305_183000]", "ename=1234", "runid=r7f3k", "uid=00-1A-2B-3C-4D-5E", "pid=4242",
        "state=6", "data=1", "remarks=", "t=1709663400", "key=",
    };
    EXPECT_EQ(EventFileLines(), expected);
}

// Two events in the same second share a section name: the later replaces
// the earlier. Other sections stay.
TEST_F(EventFileTest, SameSecondReplacesOtherSecondsStay)
{
    EventRecord first = SampleRecord();
    EventRecord second = SampleRecord();
    second.state = "5";
    second.data = "";
    win32::SetClockOverride(kEvening);
    WriteEventSection(first);
    win32::SetClockOverride(kMorning);
    WriteEventSection(first);
    WriteEventSection(second);

    std::vector<std::string> lines = EventFileLines();
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "[sec_20240305_263000]");
    EXPECT_EQ(lines[5], "state=6");
    EXPECT_EQ(lines[10], "[sec_20240305_183000]");
    EXPECT_EQ(lines[15], "state=5");
    EXPECT_EQ(lines[16], "data=");
}

// A value with a line break (a launcher file name may hold one) cannot add
// lines or sections: CR, LF and NUL are removed from every value.
TEST_F(EventFileTest, LineBreaksInValuesAreRemoved)
{
    EventRecord record = SampleRecord();
    record.ename = "evil\r\n[sec_19700101_080000]\r\nstate=9";
    record.remarks = std::string("a\nb\rc\0d", 7);
    win32::SetClockOverride(kMorning);
    WriteEventSection(record);

    std::vector<std::string> lines = EventFileLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "ename=evil[sec_19700101_080000]state=9");
    EXPECT_EQ(lines[5], "state=6");
    EXPECT_EQ(lines[7], "remarks=abcd");
}

// Over-long values are cut at their line buffers: 259 bytes for a line,
// 12999 for data, 1299 for remarks; in UTF-8 never inside a character.
TEST_F(EventFileTest, LongValuesAreCutAtTheirBuffers)
{
    EventRecord record = SampleRecord();
    record.ename = std::string(500, 'e');
    record.data = std::string(20000, 'd');
    record.remarks = std::string(2000, 'r');
    std::string twoByteLetters;
    for (int i = 0; i < 300; ++i)
        twoByteLetters += "\xC3\xA9";
    record.uid = twoByteLetters;

    std::string body = BuildEventSectionBody(record);
    std::vector<std::string> lines;
    for (size_t at = 0; at < body.size() && body[at] != '\0'; at = body.find('\0', at) + 1)
        lines.push_back(body.substr(at, body.find('\0', at) - at));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(body.substr(body.size() - 2), std::string("\0\0", 2));
    EXPECT_EQ(lines[0], "ename=" + std::string(253, 'e'));
    EXPECT_EQ(lines[2], "uid=" + twoByteLetters.substr(0, 254));
    EXPECT_EQ(lines[5], "data=" + std::string(12994, 'd'));
    EXPECT_EQ(lines[6], "remarks=" + std::string(1291, 'r'));

    win32::SetClockOverride(kMorning);
    WriteEventSection(record);
    std::vector<std::string> written = EventFileLines();
    ASSERT_EQ(written.size(), 10u);
    EXPECT_EQ(written[6], lines[5]);
}

} // namespace
