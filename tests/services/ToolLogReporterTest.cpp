#include "services/ToolLogReporter.h"

#include "services/HostPlatformWindow.h"

#include "ModuleFiles.h"
#include "support/TempDir.h"
#include "support/ToolsServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using kestrova::test::EventFilePath;
using kestrova::test::ReadFileBytes;
using kestrova::test::ToolsServer;

// The reporter is process-wide and learns the server's address once, at
// its first use, so every test of this file shares one server.
ToolsServer& Server()
{
    static kestrova::test::TempDir root("reporter-root");
    static ToolsServer server(root.Path());
    static bool addressSet = [] {
        setenv("KESTROVA_TOOLS_SERVER", server.BaseUrl().c_str(), 1);
        return true;
    }();
    (void)addressSet;
    return server;
}

using Parts = std::vector<std::pair<std::string, std::string>>;

// The form parts of every report the server received, in arrival order.
std::vector<Parts> ReceivedReports()
{
    std::vector<Parts> reports;
    for (const Json::Value& request : Server().ReceivedJson()) {
        if (request["path"].asString() != "/Api/saveToolLog")
            continue;
        Parts parts;
        for (const Json::Value& part : request["parts"])
            parts.emplace_back(part[0].asString(), part[1].asString());
        reports.push_back(parts);
    }
    return reports;
}

std::string PartValue(const Parts& parts, const std::string& name)
{
    for (const auto& [partName, value] : parts) {
        if (partName == name)
            return value;
    }
    return "<missing>";
}

// The signature as the server side computes it, by an implementation that
// shares nothing with the tool's: Python's hashlib and base64.
std::string IndependentSignature(const Parts& parts)
{
    setenv("SIGNATURE_INPUT",
           (PartValue(parts, "toolid") + PartValue(parts, "uid") + PartValue(parts, "runid") + PartValue(parts, "_t"))
               .c_str(),
           1);
    FILE* pipe = popen("python3 -c 'import base64, hashlib, os; "
                       "text = os.environ[\"SIGNATURE_INPUT\"].encode(\"latin-1\") + b\"Hq3Tz8Ln5Wc2Rv7Xk4Mb9Pf6Js1Gd0\"; "
                       "encoded = base64.b64encode(text).translate(bytes.maketrans(b\"+/\", b\"@!\")); "
                       "print(hashlib.md5(encoded).hexdigest())'",
                       "r");
    char digest[64] = {};
    if (pipe) {
        if (!std::fgets(digest, sizeof(digest), pipe))
            digest[0] = '\0';
        pclose(pipe);
    }
    std::string text = digest;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

class ToolLogReporterTest : public testing::Test {
protected:
    void SetUp() override
    {
        Server().Reset();
        kestrova::test::RemoveModuleFiles();
    }
    void TearDown() override { kestrova::test::RemoveModuleFiles(); }

    static EventRecord SampleRecord()
    {
        EventRecord record;
        record.ename = "1234~~";
        record.runid = "r7f3k";
        record.uid = "00-1A-2B-3C-4D-5E";
        record.pid = "4242";
        record.state = "2";
        record.data = "inst";
        record.remarks = "";
        record.t = "1709681405";
        return record;
    }
};

// The form carries the fields in name order, then "submit"; the field key
// is not sent, and the request token only enters the signature.
TEST_F(ToolLogReporterTest, ReportSendsTheSignedFormInOrder)
{
    EXPECT_EQ(ToolLogReporter::GetInstance().ReportEvent(SampleRecord()), 1);

    std::vector<Parts> reports = ReceivedReports();
    ASSERT_EQ(reports.size(), 1u);
    // The signature of this record, worked out once with Python: the tool's
    // alphabet matters here, as the encoded text holds a "@".
    const Parts expected = {
        { "_t", "1709681405" },
        { "data", "inst" },
        { "pid", "4242" },
        { "remarks", "" },
        { "runid", "r7f3k" },
        { "state", "2" },
        { "token", "9c2db9984d2652cd825cefd47476b799" },
        { "toolid", "1234~~" },
        { "uid", "00-1A-2B-3C-4D-5E" },
        { "submit", "send" },
    };
    EXPECT_EQ(reports[0], expected);
    EXPECT_EQ(IndependentSignature(reports[0]), "9c2db9984d2652cd825cefd47476b799");
}

// A recorded event carries this process's record, and its signature is the
// one the server computes from the parts it got.
TEST_F(ToolLogReporterTest, RecordEventReportsThisProcess)
{
    RecordEvent("2", "uninst", "");

    std::vector<Parts> reports = ReceivedReports();
    ASSERT_EQ(reports.size(), 1u);
    const Parts& parts = reports[0];
    EventRecord now = BuildEventRecord("2", "uninst", "");
    EXPECT_EQ(PartValue(parts, "toolid"), now.ename);
    EXPECT_EQ(PartValue(parts, "runid"), now.runid);
    EXPECT_EQ(PartValue(parts, "uid"), now.uid);
    EXPECT_EQ(PartValue(parts, "pid"), now.pid);
    EXPECT_EQ(PartValue(parts, "state"), "2");
    EXPECT_EQ(PartValue(parts, "data"), "uninst");
    EXPECT_LE(std::stoll(now.t) - std::stoll(PartValue(parts, "_t")), 2);
    EXPECT_EQ(PartValue(parts, "token"), IndependentSignature(parts));
    EXPECT_FALSE(std::filesystem::exists(EventFilePath()));
}

struct AnswerCase {
    const char* name;
    std::string control; // The server's behaviour; empty: the default 200 "0".
    int accepted;
};

// Only an answer 200 with a "0" in its body counts; every other outcome
// keeps the event in the event file.
TEST_F(ToolLogReporterTest, AcceptanceAndTheEventFile)
{
    const AnswerCase cases[] = {
        { "200 \"0\"", "", 1 },
        { "200 with a 0 inside", R"({"path": "/Api/saveToolLog", "status": 200, "body": "code=10"})", 1 },
        { "200 without a 0", R"({"path": "/Api/saveToolLog", "status": 200, "body": "ok"})", 0 },
        { "500", R"({"path": "/Api/saveToolLog", "status": 500, "body": "0"})", 0 },
        { "404", R"({"path": "/Api/saveToolLog", "status": 404, "body": "0"})", 0 },
        { "a long answer with the 0 first", R"({"path": "/Api/saveToolLog", "status": 200, "body": "0)"
              + std::string(6000, 'x') + "\"}",
          1 },
        { "a long answer without a 0", R"({"path": "/Api/saveToolLog", "status": 200, "body": ")"
              + std::string(6000, 'x') + "\"}",
          0 },
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Server().Reset();
        kestrova::test::RemoveModuleFiles();
        if (!c.control.empty())
            Server().Control(c.control);

        EXPECT_EQ(ToolLogReporter::GetInstance().ReportEvent(SampleRecord()), c.accepted);
        RecordEvent("0", "", "");
        EXPECT_EQ(std::filesystem::exists(EventFilePath()), c.accepted == 0);
    }
}

// The closing notice records "5" only after a finished install. There is
// no host platform window here, so nothing is posted.
TEST_F(ToolLogReporterTest, ClosingNoticeRecordsFinishedInstall)
{
    NotifyHostClosing(0);
    EXPECT_TRUE(ReceivedReports().empty());

    NotifyHostClosing(1);
    std::vector<Parts> reports = ReceivedReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(PartValue(reports[0], "state"), "5");
    EXPECT_EQ(PartValue(reports[0], "data"), "");
    EXPECT_EQ(PartValue(reports[0], "remarks"), "");
    EXPECT_EQ(FindHostPlatformWindow(), nullptr);
}

// A server that cannot be reached: the report fails after its attempts
// and the event is kept. The reporter is process-wide, so this runs in a
// child process of this program whose reporter points at a closed port.
TEST(ToolLogReporterUnreachableTest, EventIsKept)
{
    if (std::getenv("KESTROVA_TEST_UNREACHABLE_CHILD")) {
        RecordEvent("2", "inst", "");
        std::string file = ReadFileBytes(EventFilePath());
        kestrova::test::RemoveModuleFiles();
        EXPECT_NE(file.find("[sec_"), std::string::npos) << file;
        EXPECT_NE(file.find("state=2"), std::string::npos) << file;
        EXPECT_NE(file.find("data=inst"), std::string::npos) << file;
        return;
    }
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = "KESTROVA_TEST_UNREACHABLE_CHILD=1 KESTROVA_TOOLS_SERVER=http://127.0.0.1:"
        + std::to_string(kestrova::test::UnusedLocalPort()) + " '" + self
        + "' --gtest_filter=ToolLogReporterUnreachableTest.EventIsKept >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

} // namespace
