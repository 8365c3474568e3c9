// The SQLite record: its schema, a row's life, the question before each unit under concurrent writers,
// the marking of rows a killed station left, and the files it must refuse.

#include "sqlite_station_log.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "temp_folder.h"

namespace q470::test {
namespace {

constexpr const char* kAddress = "00:12:4B:00:1A:2B:3C:4D";
constexpr const char* kProfileSha = "aa11";

// A process that has ended: no process runs with this start time.
StationIdentity EndedProcess(const std::string& name) {
    StationIdentity identity = CurrentStation(name);
    identity.instance += "0";
    return identity;
}

std::unique_ptr<SqliteStationLog> OpenLog(const std::string& path, StationIdentity identity) {
    LogError error;
    auto log = SqliteStationLog::Open(path, std::move(identity), SqliteStationLog::Access::ReadWrite, error);
    EXPECT_TRUE(log) << error.detail;
    return log;
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

std::vector<LogRow> AllRows(StationLog& log) {
    LogError error;
    auto rows = log.Rows({}, error);
    EXPECT_TRUE(rows) << error.detail;
    return rows ? *rows : std::vector<LogRow>{};
}

TEST(SqliteStationLog, RowIsWrittenWhenTheUnitStartsAndCompletedWhenItEnds) {
    TempFolder folder;
    const std::string path = folder.Path("not/yet/station.sqlite3");  // folders are made
    auto log = OpenLog(path, CurrentStation("line-a"));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->SchemaVersion(), 1);

    const std::int64_t id = Started(*log, StartOf(kAddress));
    auto rows = AllRows(*log);
    ASSERT_EQ(rows.size(), 1u);
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
    EXPECT_TRUE(rows[0].finishedAt);

    EXPECT_FALSE(log->FinishUnit(id + 1, end, error));  // no such row: not taken for done

    // Opened again, the schema is not made twice.
    log.reset();
    log = OpenLog(path, CurrentStation("line-a"));
    ASSERT_TRUE(log);
    EXPECT_EQ(AllRows(*log).size(), 1u);
}

TEST(SqliteStationLog, AUnitThatPassedWithTheProfileIsSkippedUnlessAgain) {
    TempFolder folder;
    auto log = OpenLog(folder.Path("station.sqlite3"), CurrentStation("line-a"));
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

// Two stations on one file, each with its own connection, reach the same units at the same moment:
// the question and the row are one transaction, so exactly one of them starts each unit.
TEST(SqliteStationLog, TwoStationsNeverBothStartOneUnit) {
    TempFolder folder;
    const std::string path = folder.Path("station.sqlite3");
    auto first = OpenLog(path, CurrentStation("line-a"));
    auto second = OpenLog(path, CurrentStation("line-b"));
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
    EXPECT_EQ(AllRows(*first).size(), 2u * kUnits);
}

// Rows a killed station left unfinished are marked by the next start of a station of its name; rows of
// another station, and those of a station process of the same name that still runs, are left alone.
TEST(SqliteStationLog, StartMarksOnlyItsOwnStationsRowsOfEndedProcesses) {
    TempFolder folder;
    const std::string path = folder.Path("station.sqlite3");
    {
        auto killed = OpenLog(path, EndedProcess("line-a"));
        auto otherStation = OpenLog(path, EndedProcess("line-b"));
        ASSERT_TRUE(killed && otherStation);
        Finish(*killed, Started(*killed, StartOf("unit-done")), RecordResult::Pass);
        Started(*killed, StartOf("unit-cut"));
        Started(*otherStation, StartOf("unit-elsewhere"));
    }
    auto running = OpenLog(path, CurrentStation("line-a"));  // same name, still running (this process)
    ASSERT_TRUE(running);
    Started(*running, StartOf("unit-running"));

    auto restarted = OpenLog(path, CurrentStation("line-a"));
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

    // A unit whose row a running station holds is being worked on; one a killed station left is not.
    EXPECT_EQ(Begin(*restarted, StartOf("unit-running")), UnitBegin::Outcome::InProgress);
    EXPECT_EQ(Begin(*restarted, StartOf("unit-elsewhere")), UnitBegin::Outcome::Started);
}

// Another station process writes to the same file while this one does: WAL mode and the busy time-out
// let both through, and neither loses a row.
TEST(SqliteStationLog, TwoProcessesShareTheFile) {
    TempFolder folder;
    const std::string path = folder.Path("station.sqlite3");
    auto log = OpenLog(path, CurrentStation("line-a"));
    ASSERT_TRUE(log);
    constexpr int kRows = 40;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LogError error;
        auto other = SqliteStationLog::Open(path, CurrentStation("line-b"), SqliteStationLog::Access::ReadWrite, error);
        int written = 0;
        for (int i = 0; other && i < kRows; ++i) {
            const auto begin = other->BeginUnit(StartOf("b-" + std::to_string(i)), false, error);
            if (begin && other->FinishUnit(begin->id, EndOf(RecordResult::Pass), error)) ++written;
        }
        _exit(written == kRows ? 0 : 1);
    }
    for (int i = 0; i < kRows; ++i) Finish(*log, Started(*log, StartOf("a-" + std::to_string(i))), RecordResult::Pass);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(AllRows(*log).size(), 2u * kRows);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* mode = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &mode, nullptr);
    ASSERT_EQ(sqlite3_step(mode), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(mode, 0)), "wal");
    sqlite3_finalize(mode);
    sqlite3_close(db);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void RunSql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// A station refuses to start on a record it cannot write, and leaves a file that is not one alone.
TEST(SqliteStationLog, RefusesWhatItCannotUse) {
    TempFolder folder;
    WriteFile(folder.Path("plain-file"), "x");
    WriteFile(folder.Path("notes.sqlite3"), std::string(4096, 'n'));
    RunSql(folder.Path("other.sqlite3"), "CREATE TABLE customers (name TEXT)");
    { auto newer = OpenLog(folder.Path("newer.sqlite3"), CurrentStation("line-a")); }
    RunSql(folder.Path("newer.sqlite3"), "INSERT INTO schema_version VALUES (99)");

    struct Case {
        const char* name;
        SqliteStationLog::Access access;
        LogError::Kind expected;
    };
    const Case cases[] = {
        {"plain-file/station.sqlite3", SqliteStationLog::Access::ReadWrite, LogError::Kind::CannotOpen},
        {"notes.sqlite3", SqliteStationLog::Access::ReadWrite, LogError::Kind::NotARecord},
        {"notes.sqlite3", SqliteStationLog::Access::ReadOnly, LogError::Kind::NotARecord},
        {"other.sqlite3", SqliteStationLog::Access::ReadWrite, LogError::Kind::NotARecord},
        {"other.sqlite3", SqliteStationLog::Access::ReadOnly, LogError::Kind::NotARecord},
        {"newer.sqlite3", SqliteStationLog::Access::ReadWrite, LogError::Kind::NewerSchema},
        {"missing.sqlite3", SqliteStationLog::Access::ReadOnly, LogError::Kind::CannotOpen},
    };
    for (const auto& c : cases) {
        LogError error;
        EXPECT_FALSE(SqliteStationLog::Open(folder.Path(c.name), CurrentStation("line-a"), c.access, error)) << c.name;
        EXPECT_EQ(error.kind, c.expected) << c.name << ": " << error.detail;
    }
    EXPECT_FALSE(std::ifstream(folder.Path("missing.sqlite3"))) << "reading makes no file";
    std::ifstream notes(folder.Path("notes.sqlite3"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(notes), {}), std::string(4096, 'n')) << "left as it was";

    // Permissions keep out everyone but root.
    if (geteuid() != 0) {
        auto made = OpenLog(folder.Path("read-only.sqlite3"), CurrentStation("line-a"));
        made.reset();
        chmod(folder.Path("read-only.sqlite3").c_str(), 0444);
        LogError error;
        EXPECT_FALSE(SqliteStationLog::Open(folder.Path("read-only.sqlite3"), CurrentStation("line-a"),
                                            SqliteStationLog::Access::ReadWrite, error));
        EXPECT_EQ(error.kind, LogError::Kind::NotWritable) << error.detail;
    }
}

}  // namespace
}  // namespace q470::test
