#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "station_identity.h"
#include "station_log.h"

struct sqlite3;

namespace q470 {

// The station's record in an SQLite file. Several station processes on one machine may write to one
// file at once: it is kept in write-ahead-log mode, and a writer waits for another's transaction (up
// to the busy time-out) instead of failing.
class SqliteStationLog final : public StationLog {
public:
    using Access = LogAccess;

    static constexpr std::chrono::milliseconds kBusyTimeout{10000};

    // ReadWrite creates the file and its folders when missing, brings its schema up to date and makes
    // sure it can be written: a station must not start on a record it cannot write. ReadOnly only reads
    // an existing record. Nothing, with `error` set, when the record cannot be used so.
    static std::unique_ptr<SqliteStationLog> Open(const std::string& path, StationIdentity identity, Access access,
                                                  LogError& error);
    ~SqliteStationLog() override;

    std::string Where() const override { return path_; }
    const std::string& Station() const override { return identity_.name; }
    std::optional<int> MarkInterrupted(LogError& error) override;
    std::optional<UnitBegin> BeginUnit(const UnitStart& start, bool again, LogError& error) override;
    bool FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) override;
    bool RecordHook(std::int64_t id, const std::string& outcome, LogError& error) override;
    std::optional<bool> HasPassed(const std::string& extendedAddress, const std::string& profileSha256,
                                  LogError& error) override;
    std::optional<std::vector<LogRow>> Rows(const RowQuery& query, LogError& error) override;

    // The schema version the file holds.
    int SchemaVersion();

private:
    SqliteStationLog(sqlite3* db, std::string path, StationIdentity identity);

    bool Prepare(Access access, LogError& error);
    bool Migrate(LogError& error);
    bool Exec(const char* sql, LogError& error);
    LogError Failure(LogError::Kind kind) const;
    bool UnitInProgress(const std::string& extendedAddress, bool& inProgress, LogError& error);
    std::optional<std::int64_t> InsertRow(const UnitStart& start, const char* result, const char* note,
                                          LogError& error);

    sqlite3* db_;
    std::string path_;
    StationIdentity identity_;
    std::mutex mutex_;  // one connection, used by one thread at a time
};

}  // namespace q470
