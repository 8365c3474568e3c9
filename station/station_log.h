#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "log_record.h"

namespace q470 {

// Why the record could not be opened, read or written. `detail` is the store's or the system's own
// text (for a person, after the front end's words).
struct LogError {
    enum class Kind {
        None,
        CannotOpen,   // the file or database cannot be opened or created
        NotWritable,  // it opens, but cannot be written
        NotARecord,   // it is something else than a station record
        NewerSchema,  // written by a newer version of this tool
        Failed,       // a read or write failed (disk full, the database went away, ...)
        // The database's connection string holds a password: it would show in the list of processes and
        // in shell histories. It belongs in the password file (~/.pgpass, PGPASSFILE) or PGPASSWORD.
        PasswordGiven,
        Unsupported,  // a database, but this build has no PostgreSQL client
    };
    Kind kind = Kind::None;
    std::string detail;
};

// How the start of an attempt was taken.
struct UnitBegin {
    enum class Outcome {
        Started,        // a new row for the attempt; finish it with FinishUnit
        AlreadyPassed,  // the unit has a passing row for this profile: a "skipped" row was written
        InProgress,     // another station (or fixture) is at this unit right now: a "skipped" row was written
    };
    Outcome outcome = Outcome::Started;
    std::int64_t id = 0;  // the row written
};

// How a record is opened: to write (a station; made and brought up to date when needed) or only to
// read (an existing record, never changed).
enum class LogAccess { ReadWrite, ReadOnly };

struct RowQuery {
    std::optional<std::string> since;  // rows started at or after this UTC time ("2024-05-01T08:00:00.000Z")
};

// The station's record of every attempt, one row each, shared by every station that writes to it. The
// embedded file (SqliteStationLog) and a PostgreSQL database (PostgresStationLog) implement it; a
// station chooses one with OpenStationLog. Every call may come from any thread; the store serialises
// them.
class StationLog {
public:
    StationLog() = default;
    StationLog(const StationLog&) = delete;
    StationLog& operator=(const StationLog&) = delete;
    virtual ~StationLog() = default;

    // Where the record is, for people ("/home/op/.local/share/q470-manager/station.sqlite3").
    virtual std::string Where() const = 0;
    // The station name rows are written under.
    virtual const std::string& Station() const = 0;

    // Rows of this station that a station process left unfinished when it ended without finishing
    // them (killed, power lost) are marked "interrupted"; rows of a station process that still runs are
    // left alone. How many were marked, or nothing with `error` set.
    virtual std::optional<int> MarkInterrupted(LogError& error) = 0;

    // Writes the row of an attempt that begins, in one transaction with the question whether the unit
    // already passed with this profile (by its digest), unless `again`, or is being worked on elsewhere.
    // A unit without an extended address is always started. Nothing with `error` set.
    virtual std::optional<UnitBegin> BeginUnit(const UnitStart& start, bool again, LogError& error) = 0;
    virtual bool FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) = 0;
    // How the hook run after the unit ended ("ok", "exit 3", "timed-out", ...).
    virtual bool RecordHook(std::int64_t id, const std::string& outcome, LogError& error) = 0;

    virtual std::optional<bool> HasPassed(const std::string& extendedAddress, const std::string& profileSha256,
                                          LogError& error) = 0;
    // Rows in the order they were started.
    virtual std::optional<std::vector<LogRow>> Rows(const RowQuery& query, LogError& error) = 0;

    // Ends of attempts (and hooks) a shared record could not take when they happened, kept on this
    // machine until it can; a store on this machine keeps none.
    virtual std::size_t Journaled() const { return 0; }
};

}  // namespace q470
