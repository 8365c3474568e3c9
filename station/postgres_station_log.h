#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "pg_connection.h"
#include "station_identity.h"
#include "station_journal.h"
#include "station_log.h"

namespace q470 {

// The station's record in a PostgreSQL database that the stations of a line share.
//
// The question whether a unit may be started and the row that depends on its answer are one
// transaction that holds a lock keyed by the unit's extended address, so that two stations reaching
// one unit at the same moment are served one after the other, and the second sees the first's row.
// Each station process holds a lock of its own while it is connected: a row left unfinished by a
// process that holds none any more was left by a station that has ended.
//
// When the database goes away, no attempt begins (BeginUnit fails); the ends of attempts that are
// running, and their hooks, are kept in a journal on this machine (one per station and database) and
// handed to the database, in order, as soon as it is back: at the next call after it came back, and
// always before a new attempt begins. The store connects again by itself, waiting longer after each
// failed try.
class PostgresStationLog final : public StationLog {
public:
    struct Options {
        std::string journalFolder;  // ReadWrite: the folder of the station's journal
        std::chrono::milliseconds firstRetry{250};
        std::chrono::milliseconds lastRetry{5000};  // the longest wait between two tries to connect
    };

    // ReadWrite connects, creates the record or brings its schema up to date (stations that start
    // together wait for each other; one of them does it), opens the journal and hands the database what
    // the journal kept from an earlier run. ReadOnly only reads an existing record and changes nothing.
    // Nothing, with `error` set, when the record cannot be used so; a connection string that holds a
    // password is refused before anything is sent.
    static std::unique_ptr<PostgresStationLog> Open(const std::string& target, StationIdentity identity,
                                                    LogAccess access, const Options& options, LogError& error);
    ~PostgresStationLog() override;

    std::string Where() const override { return target_; }
    const std::string& Station() const override { return identity_.name; }
    std::optional<int> MarkInterrupted(LogError& error) override;
    std::optional<UnitBegin> BeginUnit(const UnitStart& start, bool again, LogError& error) override;
    bool FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) override;
    bool RecordHook(std::int64_t id, const std::string& outcome, LogError& error) override;
    std::optional<bool> HasPassed(const std::string& extendedAddress, const std::string& profileSha256,
                                  LogError& error) override;
    std::optional<std::vector<LogRow>> Rows(const RowQuery& query, LogError& error) override;
    std::size_t Journaled() const override;

    // The schema version the database holds; 0 when it cannot be read.
    int SchemaVersion();
    // Empty for a record opened to read.
    std::string JournalPath() const;

private:
    PostgresStationLog(std::string target, StationIdentity identity, LogAccess access, Options options,
                       std::unique_ptr<PgConnection> connection);

    bool Prepare(LogError& error);
    bool Migrate(LogError& error);
    bool OpenJournal(LogError& error);
    bool HoldInstanceLock(LogError& error);
    // Connected, connecting again when the wait after the last try has passed, with the journal handed
    // over. The mutex is held by the caller from here on.
    bool Reachable(LogError& error);
    bool Replay(LogError& error);
    // Writes an entry now, or keeps it in the journal when the database cannot take it now.
    bool Write(const JournalEntry& entry, LogError& error);
    bool Keep(const JournalEntry& entry, LogError& error);
    PgResult Apply(const JournalEntry& entry);
    std::optional<UnitBegin> TryBegin(const UnitStart& start, bool again, const std::string& attempt, LogError& error);
    std::optional<bool> InstanceAlive(const std::string& instance, LogError& error);
    // The error of a statement; a connection that broke is let go, to be made again.
    LogError Failure(const PgResult& result);
    std::optional<std::string> AttemptOf(std::int64_t id) const;
    void Remember(std::int64_t id, const std::string& attempt);

    std::string target_;
    StationIdentity identity_;
    LogAccess access_;
    Options options_;
    std::unique_ptr<PgConnection> connection_;
    std::unique_ptr<StationJournal> journal_;
    // Rows begun here and their attempts, for the end and the hook that follow; the newest only.
    std::map<std::int64_t, std::string> attempts_;
    std::deque<std::int64_t> attemptOrder_;
    std::chrono::steady_clock::time_point nextTry_;
    std::chrono::milliseconds retryDelay_;
    std::string lastProblem_;
    mutable std::mutex mutex_;  // one connection, used by one thread at a time
};

}  // namespace q470
