// The record in a database that the stations of a line share: stations that start together, refusals
// (a password in the connection string, a wrong password, a database that holds something else), a
// station on another machine, and the journal that keeps the ends of units while the database is away.

#include "postgres_station_log.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "open_station_log.h"
#include "postgres_environment.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

constexpr const char* kProfileSha = "aa11";

UnitStart StartOf(const std::string& address) {
    UnitStart start;
    start.startedAt = std::chrono::system_clock::now();
    start.port = "/dev/serial/by-path/fixture-1";
    start.extendedAddress = address;
    start.model = "Q470R";
    start.profileName = "line-a.json";
    start.profileSha256 = kProfileSha;
    start.toolVersion = "1.5.0";
    return start;
}

UnitEnd EndOf(RecordResult result) {
    UnitEnd end;
    end.finishedAt = std::chrono::system_clock::now();
    end.result = result;
    end.durationMs = 10;
    return end;
}

UnitBegin::Outcome Begin(StationLog& log, const std::string& address) {
    LogError error;
    const auto begin = log.BeginUnit(StartOf(address), false, error);
    EXPECT_TRUE(begin) << error.detail;
    return begin ? begin->outcome : UnitBegin::Outcome::Started;
}

std::int64_t Started(StationLog& log, const std::string& address) {
    LogError error;
    const auto begin = log.BeginUnit(StartOf(address), false, error);
    EXPECT_TRUE(begin && begin->outcome == UnitBegin::Outcome::Started) << error.detail;
    return begin ? begin->id : 0;
}

// A station process on another machine: this one cannot look at it, only at its lock in the database.
StationIdentity Elsewhere(const std::string& name) {
    return StationIdentity{name, "another-boot/4242/1234567"};
}

// Runs `sql` on its own connection and gives back the first value, or the error.
std::string Query(const std::string& target, const std::string& sql) {
    PGconn* connection = PQconnectdb(target.c_str());
    PGresult* result = PQexec(connection, sql.c_str());
    std::string value = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0 ? PQgetvalue(result, 0, 0)
                        : PQresultStatus(result) == PGRES_COMMAND_OK                       ? ""
                                                                                           : PQerrorMessage(connection);
    PQclear(result);
    PQfinish(connection);
    return value;
}

// A connection closed by its client is ended by the server a moment later; until then its locks hold.
void WaitForSessions(const std::string& target, int count) {
    const std::string others =
        "SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()";
    for (int i = 0; i < 500 && Query(target, others) != std::to_string(count); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class SharedRecord : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Cluster().Running()) << Cluster().Problem();
        target_ = NewDatabaseTarget();
        ASSERT_FALSE(target_.empty()) << Cluster().Problem();
    }

    std::unique_ptr<PostgresStationLog> Open(StationIdentity identity, const std::string& target = {}) {
        PostgresStationLog::Options options;
        options.journalFolder = folder_.Path("journal");
        options.firstRetry = std::chrono::milliseconds(20);
        options.lastRetry = std::chrono::milliseconds(100);
        LogError error;
        auto log = PostgresStationLog::Open(target.empty() ? target_ : target, std::move(identity),
                                            LogAccess::ReadWrite, options, error);
        EXPECT_TRUE(log) << error.detail;
        return log;
    }

    std::vector<LogRow> Rows(StationLog& log) {
        LogError error;
        auto rows = log.Rows({}, error);
        EXPECT_TRUE(rows) << error.detail;
        return rows ? *rows : std::vector<LogRow>{};
    }

    TempFolder folder_;
    std::string target_;
};

// Stations of a line switched on together all find the record ready, and its schema was made once.
TEST_F(SharedRecord, StationsThatStartTogetherMakeTheSchemaOnce) {
    constexpr int kStations = 6;
    std::vector<std::unique_ptr<PostgresStationLog>> logs(kStations);
    std::vector<std::thread> starting;
    for (int i = 0; i < kStations; ++i)
        starting.emplace_back([&, i] { logs[i] = Open(CurrentStation("line-" + std::to_string(i))); });
    for (auto& thread : starting) thread.join();
    for (const auto& log : logs) ASSERT_TRUE(log);
    EXPECT_EQ(logs[0]->SchemaVersion(), 1);
    EXPECT_EQ(Query(target_, "SELECT count(*) FROM schema_version"), "1");
    EXPECT_EQ(Query(target_, "SELECT count(*) FROM record_identity"), "1");
}

// A station does not start on a record it cannot use, and says why; a password is never taken from the
// command line, and never repeated in a message.
TEST_F(SharedRecord, RefusesWhatItCannotUse) {
    const std::string wrongPassFile = folder_.Path("wrong.pgpass");
    std::ofstream(wrongPassFile) << "*:*:*:q470:not-the-password\n";
    std::filesystem::permissions(wrongPassFile, std::filesystem::perms::owner_read);
    const std::string otherDatabase = NewDatabaseTarget();
    ASSERT_EQ(Query(otherDatabase, "CREATE TABLE units (serial text)"), "");
    const std::string newerDatabase = NewDatabaseTarget();
    ASSERT_TRUE(Open(CurrentStation("line-a"), newerDatabase));
    ASSERT_EQ(Query(newerDatabase, "INSERT INTO schema_version VALUES (99)"), "");

    struct Case {
        std::string target;
        LogAccess access;
        LogError::Kind expected;
        const char* detail;  // in the store's words
    };
    const Case cases[] = {
        {"postgresql://q470:s3cret@/record1?host=/nowhere", LogAccess::ReadWrite, LogError::Kind::PasswordGiven, ""},
        {"host=/nowhere user=q470 password=s3cret", LogAccess::ReadOnly, LogError::Kind::PasswordGiven, ""},
        {"host=/nowhere sslpassword=s3cret", LogAccess::ReadWrite, LogError::Kind::PasswordGiven, ""},
        {Cluster().Target("postgres", wrongPassFile), LogAccess::ReadWrite, LogError::Kind::CannotOpen,
         "password authentication failed"},
        {Cluster().Target("postgres", folder_.Path("missing.pgpass")), LogAccess::ReadOnly, LogError::Kind::CannotOpen,
         "no password supplied"},
        {"host=" + folder_.Path("no-server") + " user=q470", LogAccess::ReadWrite, LogError::Kind::CannotOpen,
         "No such file or directory"},
        {"host=/x nonsense=1", LogAccess::ReadWrite, LogError::Kind::CannotOpen, "nonsense"},
        {otherDatabase, LogAccess::ReadWrite, LogError::Kind::NotARecord, ""},
        {otherDatabase, LogAccess::ReadOnly, LogError::Kind::NotARecord, ""},
        {NewDatabaseTarget(), LogAccess::ReadOnly, LogError::Kind::NotARecord, ""},
        {newerDatabase, LogAccess::ReadWrite, LogError::Kind::NewerSchema, "99"},
    };
    for (const auto& c : cases) {
        PostgresStationLog::Options options;
        options.journalFolder = folder_.Path("journal");
        LogError error;
        EXPECT_FALSE(PostgresStationLog::Open(c.target, CurrentStation("line-a"), c.access, options, error))
            << c.target;
        EXPECT_EQ(error.kind, c.expected) << c.target << ": " << error.detail;
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << c.target << ": " << error.detail;
        EXPECT_EQ(error.detail.find("s3cret"), std::string::npos) << error.detail;
        EXPECT_EQ(error.detail.find("not-the-password"), std::string::npos) << error.detail;
    }
    EXPECT_EQ(Query(otherDatabase, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "1")
        << "another application's database is left as it was";

    // The way a station opens its record says the same.
    LogError error;
    EXPECT_FALSE(OpenStationLog(Cluster().Target("postgres", wrongPassFile), CurrentStation("line-a"),
                                LogAccess::ReadWrite, error));
    EXPECT_EQ(error.kind, LogError::Kind::CannotOpen);
    EXPECT_NE(error.detail.find("password authentication failed for user \"q470\""), std::string::npos) << error.detail;
}

// Two stations on two machines reach the same units at the same moment: each unit is started once.
TEST_F(SharedRecord, StationsOnTwoMachinesNeverBothStartOneUnit) {
    auto first = Open(StationIdentity{"line-a", "boot-a/100/1"});
    auto second = Open(StationIdentity{"line-b", "boot-b/200/2"});
    ASSERT_TRUE(first && second);
    constexpr int kUnits = 40;
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
}

// A station on another machine holds its lock while it is connected: its unit is in progress there.
// Once it is gone, its unfinished row no longer holds the unit, and a station of its name marks it.
TEST_F(SharedRecord, AStationOnAnotherMachineIsKnownByItsConnection) {
    auto other = Open(Elsewhere("line-b"));
    auto here = Open(CurrentStation("line-a"));
    ASSERT_TRUE(other && here);
    Started(*other, "unit-x");
    EXPECT_EQ(Begin(*here, "unit-x"), UnitBegin::Outcome::InProgress);
    LogError error;
    EXPECT_EQ(here->MarkInterrupted(error), 0) << "another station's rows are not this one's to mark";
    auto sameName = Open(CurrentStation("line-b"));
    ASSERT_TRUE(sameName);
    EXPECT_EQ(sameName->MarkInterrupted(error), 0) << "its station still runs";

    other.reset();
    WaitForSessions(target_, 2);
    EXPECT_EQ(Begin(*here, "unit-x"), UnitBegin::Outcome::Started);
    EXPECT_EQ(sameName->MarkInterrupted(error), 1) << error.detail;
}

// While the database is away no unit begins, and what running units end with is kept on this machine;
// once it is back, the store connects again by itself and hands it over before the next unit begins.
TEST_F(SharedRecord, KeepsTheEndsOfUnitsWhileTheDatabaseIsAway) {
    auto log = Open(CurrentStation("line-a"));
    ASSERT_TRUE(log);
    const std::int64_t a = Started(*log, "unit-a");
    const std::int64_t b = Started(*log, "unit-b");
    ASSERT_TRUE(Cluster().Stop());

    LogError error;
    EXPECT_FALSE(log->BeginUnit(StartOf("unit-c"), false, error));
    EXPECT_EQ(error.kind, LogError::Kind::Failed);
    EXPECT_FALSE(error.detail.empty());
    EXPECT_TRUE(log->FinishUnit(a, EndOf(RecordResult::Pass), error)) << error.detail;
    EXPECT_TRUE(log->RecordHook(a, "ok", error)) << error.detail;
    EXPECT_EQ(log->Journaled(), 2u) << std::ifstream(log->JournalPath()).rdbuf();
    EXPECT_FALSE(log->Rows({}, error));

    ASSERT_TRUE(Cluster().Start()) << Cluster().Problem();
    EXPECT_TRUE(log->FinishUnit(b, EndOf(RecordResult::Fail), error)) << error.detail;
    std::optional<UnitBegin> c;
    for (int i = 0; i < 250 && !c; ++i) {
        c = log->BeginUnit(StartOf("unit-c"), false, error);
        if (!c) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(c) << error.detail;
    EXPECT_EQ(c->outcome, UnitBegin::Outcome::Started);
    EXPECT_EQ(log->Journaled(), 0u);
    const auto rows = Rows(*log);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].result, "pass");
    EXPECT_EQ(rows[0].hook, "ok");
    EXPECT_EQ(rows[1].result, "fail");
    EXPECT_FALSE(rows[2].result);
}

// A station that ended while the database was away (killed, or stopped by its operator) finds what it
// kept when it starts again and hands it over before it marks what was left unfinished. Handing it over
// twice (the station ended after the database took it, before the journal was emptied) changes nothing,
// and a line a crash cut short is dropped.
TEST_F(SharedRecord, AStationThatStartsAgainHandsOverWhatItKept) {
    std::string journal;
    {
        auto log = Open(StationIdentity{"line-a", "boot-a/100/1"});
        ASSERT_TRUE(log);
        const std::int64_t a = Started(*log, "unit-a");
        Started(*log, "unit-b");  // running when the station was killed
        ASSERT_TRUE(Cluster().Stop());
        LogError error;
        ASSERT_TRUE(log->FinishUnit(a, EndOf(RecordResult::Pass), error)) << error.detail;
        journal = log->JournalPath();
    }
    std::string kept;
    {
        std::ifstream file(journal);
        kept.assign(std::istreambuf_iterator<char>(file), {});
    }
    ASSERT_FALSE(kept.empty());
    std::ofstream(journal, std::ios::app) << kept << R"({"format":1,"kind":"finish","attem)";
    ASSERT_TRUE(Cluster().Start()) << Cluster().Problem();

    auto restarted = Open(CurrentStation("line-a"));
    ASSERT_TRUE(restarted);
    EXPECT_EQ(restarted->JournalPath(), journal);
    EXPECT_EQ(restarted->Journaled(), 0u);
    LogError error;
    EXPECT_EQ(restarted->MarkInterrupted(error), 1) << error.detail;
    const auto rows = Rows(*restarted);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result, "pass");
    EXPECT_EQ(rows[1].result, "interrupted");
}

}  // namespace
}  // namespace q470::test
