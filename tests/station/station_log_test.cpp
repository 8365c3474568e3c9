// The SQLite record's own matters: its file and schema, two processes writing to one file, and the files
// it must refuse. What every store does is tested in station_store_test.cpp.

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

constexpr const char* kProfileSha = "aa11";

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

// The file and its folders are made when missing; the schema steps are applied once.
TEST(SqliteStationLog, MakesItsFileAndSchema) {
    TempFolder folder;
    const std::string path = folder.Path("not/yet/station.sqlite3");
    auto log = OpenLog(path, CurrentStation("line-a"));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->SchemaVersion(), 1);
    log.reset();
    log = OpenLog(path, CurrentStation("line-a"));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->SchemaVersion(), 1);
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
