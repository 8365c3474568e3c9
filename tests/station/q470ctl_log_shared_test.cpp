// q470ctl log reading the record that stations share in a database, by libpq's key=value form and by
// URI, as it reads the file.

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdlib>
#include <sstream>

#include "postgres_environment.h"
#include "postgres_station_log.h"
#include "q470ctl.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

TEST(LogCommandOnDatabase, ReadsTheSharedRecord) {
    const std::string database = Cluster().NewDatabase();
    ASSERT_FALSE(database.empty()) << Cluster().Problem();
    const std::string target = Cluster().Target(database);
    TempFolder folder;
    {
        PostgresStationLog::Options options;
        options.journalFolder = folder.Path("journal");
        LogError error;
        auto log = PostgresStationLog::Open(target, CurrentStation("line-b"), LogAccess::ReadWrite, options, error);
        ASSERT_TRUE(log) << error.detail;
        UnitStart start;
        start.startedAt = std::chrono::system_clock::from_time_t(1714550400);  // 2024-05-01T08:00:00Z
        start.port = "/dev/ttyUSB0";
        start.extendedAddress = "00:12:4B:00:1A:2B:3C:4D";
        start.model = "Q470R";
        start.profileName = "line-a.json";
        start.profileSha256 = "ab12";
        start.toolVersion = "1.5.0";
        const auto begin = log->BeginUnit(start, false, error);
        UnitEnd end;
        end.finishedAt = start.startedAt + std::chrono::seconds(4);
        end.result = RecordResult::Pass;
        end.durationMs = 4000;
        ASSERT_TRUE(begin && log->FinishUnit(begin->id, end, error)) << error.detail;
    }
    setenv("Q470_LANG", "en", 1);
    const auto run = [](const std::vector<std::string>& args, std::string& out) {
        std::ostringstream printed, errors;
        const int status = RunCli(args, printed, errors);
        out = printed.str();
        EXPECT_EQ(errors.str(), "");
        return status;
    };
    std::string out;
    EXPECT_EQ(run({"log", "--log", target, "--csv"}, out), 0);
    EXPECT_NE(out.find(",2024-05-01T08:00:00.000Z,2024-05-01T08:00:04.000Z,line-b,/dev/ttyUSB0,"
                       "00:12:4B:00:1A:2B:3C:4D,Q470R,,line-a.json,ab12,pass,,,4000,1.5.0,,\r\n"),
              std::string::npos)
        << out;

    const std::string uri = Cluster().Uri(database);
    EXPECT_EQ(run({"log", "--log", uri, "--json", "--since", "2024-05-01"}, out), 0);
    rapidjson::Document document;
    document.Parse(out.c_str());
    ASSERT_TRUE(document.IsObject() && document.HasMember("records") && document["records"].IsArray()) << out;
    ASSERT_EQ(document["records"].Size(), 1u);
    EXPECT_STREQ(document["records"][0]["station"].GetString(), "line-b");
    EXPECT_EQ(document["records"][0]["duration_ms"].GetInt64(), 4000);
}

}  // namespace
}  // namespace q470::test
