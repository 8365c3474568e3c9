// What every store of the station's record must do, run against the SQLite file and the PostgreSQL
// database alike: a row's life, the question before each unit (skip, again, in progress), two
// connections racing for the same units, the marking of rows a killed station left, and the export.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "log_export.h"
#include "log_time.h"
#include "sqlite_station_log.h"
#ifdef Q470_TEST_POSTGRES
#include "postgres_environment.h"
#include "postgres_station_log.h"
#endif
#include "temp_folder.h"

namespace q470::test {
namespace {

enum class Store { Sqlite, Postgres };

constexpr const char* kAddress = "00:12:4B:00:1A:2B:3C:4D";
constexpr const char* kProfileSha = "aa11";

// A process that has ended: no process runs with this start time.
StationIdentity EndedProcess(const std::string& name) {
    StationIdentity identity = CurrentStation(name);
    identity.instance += "0";
    return identity;
}

UnitStart StartOf(const std::string& address, const std::string& sha = kProfileSha) {
    UnitStart start;
    start.startedAt = std::chrono::system_clock::now();
    start.port = "/dev/serial/by-path/fixture-1";
    start.extendedAddress = address;
    start.model = "Q470R";
    start.firmware = "1.5.0";
    start.profileName = "line-a.json";
    start.profileSha256 = sha;
    start.toolVersion = "1.5.0";
    return start;
}

UnitEnd EndOf(RecordResult result) {
    UnitEnd end;
    end.finishedAt = std::chrono::system_clock::now();
    end.result = result;
    end.durationMs = 1234;
    return end;
}

UnitBegin::Outcome Begin(StationLog& log, const UnitStart& start, bool again = false) {
    LogError error;
    const auto begin = log.BeginUnit(start, again, error);
    EXPECT_TRUE(begin) << error.detail;
    return begin ? begin->outcome : UnitBegin::Outcome::Started;
}

std::int64_t Started(StationLog& log, const UnitStart& start) {
    LogError error;
    const auto begin = log.BeginUnit(start, false, error);
    EXPECT_TRUE(begin && begin->outcome == UnitBegin::Outcome::Started) << error.detail;
    return begin ? begin->id : 0;
}

void Finish(StationLog& log, std::int64_t id, RecordResult result) {
    LogError error;
    EXPECT_TRUE(log.FinishUnit(id, EndOf(result), error)) << error.detail;
}

std::vector<LogRow> AllRows(StationLog& log, const RowQuery& query = {}) {
    LogError error;
    auto rows = log.Rows(query, error);
    EXPECT_TRUE(rows) << error.detail;
    return rows ? *rows : std::vector<LogRow>{};
}

// One record per test, in a file of a temporary folder or in a database of its own.
class StoreContract : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override {
        target_ = folder_.Path("station.sqlite3");
#ifdef Q470_TEST_POSTGRES
        if (GetParam() == Store::Postgres) {
            target_ = NewDatabaseTarget();
            ASSERT_FALSE(target_.empty()) << Cluster().Problem();
        }
#endif
    }

    std::unique_ptr<StationLog> Open(StationIdentity identity) {
        LogError error;
        std::unique_ptr<StationLog> log;
#ifdef Q470_TEST_POSTGRES
        if (GetParam() == Store::Postgres) {
            PostgresStationLog::Options options;
            options.journalFolder = folder_.Path("journal");
            log = PostgresStationLog::Open(target_, std::move(identity), LogAccess::ReadWrite, options, error);
        }
#endif
        if (GetParam() == Store::Sqlite)
            log = SqliteStationLog::Open(target_, std::move(identity), LogAccess::ReadWrite, error);
        EXPECT_TRUE(log) << error.detail;
        return log;
    }

    TempFolder folder_;
    std::string target_;
};

TEST_P(StoreContract, RowIsWrittenWhenTheUnitStartsAndCompletedWhenItEnds) {
    auto log = Open(CurrentStation("line-a"));
    ASSERT_TRUE(log);
    const std::int64_t id = Started(*log, StartOf(kAddress));
    auto rows = AllRows(*log);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, id);
    EXPECT_EQ(rows[0].station, "line-a");
    EXPECT_FALSE(rows[0].result);
    EXPECT_FALSE(rows[0].finishedAt);
    EXPECT_EQ(rows[0].startedAt.size(), 24u) << rows[0].startedAt;  // 2024-05-01T08:00:00.123Z

    UnitEnd end = EndOf(RecordResult::Fail);
    end.failedStep = "compare";
    end.differences = R"([{"setting":"channel","written":"101","readBack":"99"}])";
    end.firmware = "1.5.1";  // learnt by the run
    LogError error;
    ASSERT_TRUE(log->FinishUnit(id, end, error)) << error.detail;
    ASSERT_TRUE(log->RecordHook(id, "exit 3", error)) << error.detail;
    rows = AllRows(*log);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result, "fail");
    EXPECT_EQ(rows[0].failedStep, "compare");
    EXPECT_EQ(rows[0].differences, end.differences);
    EXPECT_EQ(rows[0].durationMs, 1234);
    EXPECT_EQ(rows[0].firmware, "1.5.1");
    EXPECT_EQ(rows[0].model, "Q470R");  // kept from the start
    EXPECT_EQ(rows[0].hook, "exit 3");
    EXPECT_EQ(rows[0].finishedAt, FormatUtc(end.finishedAt));
    EXPECT_EQ(log->Journaled(), 0u);

    EXPECT_FALSE(log->FinishUnit(id + 1, end, error));  // no such row: not taken for done

    // Opened again, the schema is not made twice and the row is there.
    log.reset();
    log = Open(CurrentStation("line-a"));
    ASSERT_TRUE(log);
    EXPECT_EQ(AllRows(*log).size(), 1u);
}

TEST_P(StoreContract, AUnitThatPassedWithTheProfileIsSkippedUnlessAgain) {
    auto log = Open(CurrentStation("line-a"));
    ASSERT_TRUE(log);
    Finish(*log, Started(*log, StartOf(kAddress)), RecordResult::Fail);
    EXPECT_EQ(Begin(*log, StartOf(kAddress)), UnitBegin::Outcome::Started) << "a failed unit is tried again";
    Finish(*log, AllRows(*log).back().id, RecordResult::Pass);

    LogError error;
    EXPECT_EQ(log->HasPassed(kAddress, kProfileSha, error), true);
    EXPECT_EQ(log->HasPassed(kAddress, "other", error), false);
    EXPECT_EQ(Begin(*log, StartOf(kAddress)), UnitBegin::Outcome::AlreadyPassed);
    const LogRow skipped = AllRows(*log).back();
    EXPECT_EQ(skipped.result, "skipped");
    EXPECT_EQ(skipped.note, "already-passed");
    EXPECT_EQ(skipped.finishedAt, skipped.startedAt);
    EXPECT_EQ(skipped.durationMs, 0);

    EXPECT_EQ(Begin(*log, StartOf(kAddress, "another-profile")), UnitBegin::Outcome::Started);
    Finish(*log, AllRows(*log).back().id, RecordResult::Fail);
    EXPECT_EQ(Begin(*log, StartOf(kAddress), true), UnitBegin::Outcome::Started);
    Finish(*log, AllRows(*log).back().id, RecordResult::Pass);
    // A unit that told no address cannot be recognised: it is always worked on.
    EXPECT_EQ(Begin(*log, StartOf("")), UnitBegin::Outcome::Started);
    EXPECT_EQ(Begin(*log, StartOf("")), UnitBegin::Outcome::Started);
}

// Two stations, each with its own connection, reach the same units at the same moment: the question and
// the row are one transaction, so exactly one of them starts each unit; the other is told that the
// unit is being worked on, or that it passed.
TEST_P(StoreContract, TwoStationsNeverBothStartOneUnit) {
    auto first = Open(CurrentStation("line-a"));
    auto second = Open(CurrentStation("line-b"));
    ASSERT_TRUE(first && second);
    constexpr int kUnits = 25;
    std::atomic<int> started{0};
    const auto station = [&](StationLog& log) {
        for (int unit = 0; unit < kUnits; ++unit) {
            LogError error;
            const auto begin = log.BeginUnit(StartOf("unit-" + std::to_string(unit)), false, error);
            ASSERT_TRUE(begin) << error.detail;
            if (begin->outcome != UnitBegin::Outcome::Started) continue;
            ++started;
            ASSERT_TRUE(log.FinishUnit(begin->id, EndOf(RecordResult::Pass), error)) << error.detail;
        }
    };
    std::thread a([&] { station(*first); });
    std::thread b([&] { station(*second); });
    a.join();
    b.join();
    EXPECT_EQ(started.load(), kUnits);
    std::map<std::string, int> passes;
    for (const auto& row : AllRows(*first)) passes[*row.extendedAddress] += row.result == "pass" ? 1 : 0;
    EXPECT_EQ(passes.size(), static_cast<std::size_t>(kUnits));
    for (const auto& [unit, count] : passes) EXPECT_EQ(count, 1) << unit;
}

// Rows a killed station left unfinished are marked by the next start of a station of its name; rows of
// another station, and those of a station process of the same name that still runs, are left alone.
TEST_P(StoreContract, StartMarksOnlyItsOwnStationsRowsOfEndedProcesses) {
    {
        auto killed = Open(EndedProcess("line-a"));
        auto otherStation = Open(EndedProcess("line-b"));
        ASSERT_TRUE(killed && otherStation);
        Finish(*killed, Started(*killed, StartOf("unit-done")), RecordResult::Pass);
        Started(*killed, StartOf("unit-cut"));
        Started(*otherStation, StartOf("unit-elsewhere"));
    }
    auto running = Open(CurrentStation("line-a"));  // same name, still running (this process)
    ASSERT_TRUE(running);
    Started(*running, StartOf("unit-running"));

    auto restarted = Open(CurrentStation("line-a"));
    ASSERT_TRUE(restarted);
    LogError error;
    EXPECT_EQ(restarted->MarkInterrupted(error), 1) << error.detail;
    EXPECT_EQ(restarted->MarkInterrupted(error), 0) << "marked once";
    std::map<std::string, std::optional<std::string>> results;
    for (const auto& row : AllRows(*restarted)) results[*row.extendedAddress] = row.result;
    EXPECT_EQ(results["unit-done"], "pass");
    EXPECT_EQ(results["unit-cut"], "interrupted");
    EXPECT_EQ(results["unit-elsewhere"], std::nullopt);
    EXPECT_EQ(results["unit-running"], std::nullopt);
    EXPECT_EQ(AllRows(*restarted)[1].note, "left-unfinished");

    // A unit whose row a running station holds is being worked on; one a killed station left is not.
    EXPECT_EQ(Begin(*restarted, StartOf("unit-running")), UnitBegin::Outcome::InProgress);
    EXPECT_EQ(AllRows(*restarted).back().note, "in-progress-elsewhere");
    EXPECT_EQ(Begin(*restarted, StartOf("unit-elsewhere")), UnitBegin::Outcome::Started);
}

// Whatever bytes a unit sent, every store exports the same safe text; --since picks by the start.
TEST_P(StoreContract, ExportsTheSameTextWhateverBytesTheUnitsSent) {
    auto log = Open(CurrentStation("line-a"));
    ASSERT_TRUE(log);
    UnitStart early = StartOf("00:00:00:00:00:00:00:01");
    early.startedAt = std::chrono::system_clock::from_time_t(1714550400);  // 2024-05-01T08:00:00Z
    UnitStart late = StartOf(std::string("00:00:00:00:00:00:00:02\xff", 24));
    late.startedAt = early.startedAt + std::chrono::hours(24) + std::chrono::milliseconds(5);
    late.firmware = "1.5\x1b[2J\xc3\xa9";
    late.port = "/dev/serial/by-path/설비-2";
    Finish(*log, Started(*log, early), RecordResult::Pass);
    const std::int64_t id = Started(*log, late);
    UnitEnd end = EndOf(RecordResult::Fail);
    end.finishedAt = late.startedAt + std::chrono::milliseconds(1234);
    end.failedStep = "compare";
    end.note = "quiet-mode-not-restored";
    LogError error;
    ASSERT_TRUE(log->FinishUnit(id, end, error)) << error.detail;

    RowQuery since;
    since.since = "2024-05-02T00:00:00.000Z";
    const auto rows = AllRows(*log, since);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(LogCsv(rows),
              "id,started_at,finished_at,station,port,extended_address,model,firmware,profile_name,profile_sha256,"
              "result,failed_step,differences,duration_ms,tool_version,hook,note\r\n" +
                  std::to_string(id) +
                  ",2024-05-02T08:00:00.005Z,2024-05-02T08:00:01.239Z,line-a,/dev/serial/by-path/설비-2,"
                  "00:00:00:00:00:00:00:02\\xFF,Q470R,1.5\\x1B[2Jé,line-a.json,aa11,fail,compare,,1234,1.5.0,,"
                  "quiet-mode-not-restored\r\n");
    EXPECT_NE(LogJsonArray(rows).find(R"("extended_address":"00:00:00:00:00:00:00:02\\xFF")"), std::string::npos)
        << LogJsonArray(rows);
}

std::string StoreName(const ::testing::TestParamInfo<Store>& info) {
    return info.param == Store::Sqlite ? "Sqlite" : "Postgres";
}

#ifdef Q470_TEST_POSTGRES
INSTANTIATE_TEST_SUITE_P(EveryStore, StoreContract, ::testing::Values(Store::Sqlite, Store::Postgres), StoreName);
#else
INSTANTIATE_TEST_SUITE_P(EveryStore, StoreContract, ::testing::Values(Store::Sqlite), StoreName);
#endif

}  // namespace
}  // namespace q470::test
