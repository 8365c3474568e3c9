// q470ctl log reading a station's record: the table for people, CSV, the JSON document of the tool's
// schema, --since, and the files it cannot read.

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "q470ctl.h"
#include "report_schema.h"
#include "sqlite_station_log.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun Log(std::vector<std::string> args) {
    setenv("Q470_LANG", "en", 1);
    std::ostringstream out, err;
    args.insert(args.begin(), "log");
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

class LogCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogError error;
        auto log = SqliteStationLog::Open(path_, CurrentStation("line-a"), SqliteStationLog::Access::ReadWrite, error);
        ASSERT_TRUE(log) << error.detail;
        UnitStart start;
        start.port = "/dev/ttyUSB0";
        start.profileName = "line-a.json";
        start.profileSha256 = "ab12";
        start.toolVersion = "1.5.0";
        start.startedAt = std::chrono::system_clock::from_time_t(1714550400);  // 2024-05-01T08:00:00Z
        start.extendedAddress = "00:12:4B:00:1A:2B:3C:4D";
        start.model = "Q470R";
        start.firmware = "1.5\x1b[31m";  // a unit that sends a terminal's escape code
        const auto first = log->BeginUnit(start, false, error);
        UnitEnd end;
        end.finishedAt = start.startedAt + std::chrono::seconds(4);
        end.result = RecordResult::Fail;
        end.failedStep = "apply";
        end.durationMs = 4000;
        end.note = "quiet-mode-not-restored";
        ASSERT_TRUE(first && log->FinishUnit(first->id, end, error)) << error.detail;
        start.startedAt += std::chrono::hours(24);
        start.extendedAddress = "00:12:4B:00:1A:2B:3C:4E";
        ASSERT_TRUE(log->BeginUnit(start, false, error)) << error.detail;  // still running
    }

    TempFolder folder_;
    const std::string path_ = folder_.Path("station.sqlite3");
};

TEST_F(LogCommandTest, PrintsTheRecordForPeopleAndForPrograms) {
    const ToolRun table = Log({"--log", path_});
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out,
              "STARTED (UTC)             STATION  PORT          EXTENDED ADDRESS         MODEL  FIRMWARE     RESULT  "
              "FAILED STEP  MS    NOTE\n"
              "2024-05-01T08:00:00.000Z  line-a   /dev/ttyUSB0  00:12:4B:00:1A:2B:3C:4D  Q470R  1.5\\x1B[31m  fail    "
              "apply        4000  quiet-mode-not-restored\n"
              "2024-05-02T08:00:00.000Z  line-a   /dev/ttyUSB0  00:12:4B:00:1A:2B:3C:4E  Q470R  1.5\\x1B[31m  -       "
              "-            -     -\n");

    const ToolRun csv = Log({"--log", path_, "--csv", "--since", "2024-05-02"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 2) << csv.out;
    EXPECT_NE(csv.out.find("00:12:4B:00:1A:2B:3C:4E"), std::string::npos);

    const ToolRun json = Log({"--log", path_, "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(ReportShapeProblem(json.out), "");
    rapidjson::Document document;
    document.Parse(json.out.c_str());
    ASSERT_TRUE(document.IsObject() && document["records"].IsArray());
    ASSERT_EQ(document["records"].Size(), 2u);
    EXPECT_STREQ(document["records"][0]["result"].GetString(), "fail");
    EXPECT_STREQ(document["records"][0]["note"].GetString(), "quiet-mode-not-restored");
    EXPECT_TRUE(document["records"][1]["result"].IsNull());
}

TEST_F(LogCommandTest, SaysWhatItCannotRead) {
    std::ofstream(folder_.Path("notes.txt")) << "not a record";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"--log", folder_.Path("missing.sqlite3")}, 4, "No such file or directory"},
        {{"--log", folder_.Path("notes.txt")}, 4, "is not a station record"},
        {{"--log", path_, "--since", "last week"}, 2, "--since last week: not a time"},
        {{"--log", path_, "--csv", "--json"}, 2, "--csv and --json cannot be used together"},
        {{"--log", path_, "--trace"}, 2, "nothing to trace"},
        {{"--log", "postgresql://op:s3cret@db/q470"}, 2, "postgresql://op:***@db/q470: the connection string holds"},
        {{"--log", "host=" + folder_.Path("no-server") + " dbname=q470"}, 4, "cannot read the station record host="},
    };
    for (const auto& c : cases) {
        ToolRun run = Log(c.args);
        EXPECT_EQ(run.status, c.status) << c.args.back();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("s3cret"), std::string::npos) << run.err;
        auto withJson = c.args;
        if (std::find(withJson.begin(), withJson.end(), "--json") == withJson.end()) withJson.push_back("--json");
        run = Log(withJson);
        EXPECT_EQ(ReportShapeProblem(run.out), "") << c.args.back();
    }
    EXPECT_FALSE(std::ifstream(folder_.Path("missing.sqlite3"))) << "reading makes no record";
}

}  // namespace
}  // namespace q470::test
