#include "postgres_station_log.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>

#include "attempt_id.h"
#include "log_time.h"
#include "profile_digest.h"
#include "station_schema.h"
#include "utf8_text.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

// Advisory lock keys: the schema's steps, and one per unit (with the hash of its extended address).
// Station processes hold their own lock under a 64-bit key made from their instance, in the other
// space of keys that PostgreSQL keeps apart from these two-part ones.
constexpr const char* kSchemaLock = "1363607552";  // 0x51470000
constexpr const char* kUnitLock = "1363607553";    // 0x51470001
constexpr std::size_t kAttemptsKept = 1024;

constexpr const char* kColumns =
    "id, to_char(started_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), "
    "to_char(finished_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), station, port, "
    "extended_address, model, firmware, profile_name, profile_sha256, result, failed_step, differences, "
    "duration_ms, tool_version, hook, note";

// The database keeps valid UTF-8 without NUL: other bytes from a unit or a port's name are kept as \xNN,
// as every export shows them anyway.
std::string DatabaseText(const std::string& text) {
    const std::string clean = CleanUtf8(text, false);
    std::string out;
    for (const char c : clean) {
        if (c == '\0') {
            out += "\\x00";
        } else {
            out += c;
        }
    }
    return out;
}

PgValue OrNull(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return DatabaseText(text);
}

// The lock a station process holds while it is connected, by a key made from its instance.
std::string InstanceKey(const std::string& instance) {
    const std::string digest = Sha256Hex("q470 station instance " + instance);
    const std::uint64_t key = std::stoull(digest.substr(0, 16), nullptr, 16);
    std::int64_t signedKey = 0;
    std::memcpy(&signedKey, &key, sizeof key);
    return std::to_string(signedKey);
}

// A name that is safe as part of a file name; the digest beside it keeps apart names that look alike.
std::string FileNamePart(const std::string& text) {
    std::string part;
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        part += plain ? c : '_';
        if (part.size() == 64) break;
    }
    return part;
}

LogError::Kind KindOf(const std::string& sqlState) {
    // Permission denied, a read-only transaction or database.
    if (sqlState == "42501" || sqlState == "25006") return LogError::Kind::NotWritable;
    return LogError::Kind::Failed;
}

LogRow RowFrom(const PgResult& result, int row) {
    LogRow out;
    out.id = result.Int(row, 0);
    out.startedAt = result.Text(row, 1);
    out.finishedAt = result.OptionalText(row, 2);
    out.station = result.Text(row, 3);
    out.port = result.Text(row, 4);
    out.extendedAddress = result.OptionalText(row, 5);
    out.model = result.OptionalText(row, 6);
    out.firmware = result.OptionalText(row, 7);
    out.profileName = result.Text(row, 8);
    out.profileSha256 = result.Text(row, 9);
    out.result = result.OptionalText(row, 10);
    out.failedStep = result.OptionalText(row, 11);
    out.differences = result.OptionalText(row, 12);
    out.durationMs = result.OptionalInt(row, 13);
    out.toolVersion = result.Text(row, 14);
    out.hook = result.OptionalText(row, 15);
    out.note = result.OptionalText(row, 16);
    return out;
}

JournalEntry FinishEntry(const std::string& attempt, const UnitEnd& end) {
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Finish;
    entry.attempt = attempt;
    entry.finishedAt = FormatUtc(end.finishedAt);
    entry.result = RecordResultWord(end.result);
    entry.failedStep = DatabaseText(end.failedStep);
    entry.differences = DatabaseText(end.differences);
    entry.durationMs = end.durationMs;
    entry.note = DatabaseText(end.note);
    entry.extendedAddress = DatabaseText(end.extendedAddress);
    entry.model = DatabaseText(end.model);
    entry.firmware = DatabaseText(end.firmware);
    return entry;
}

// libpq reads a connection string without connecting: a password in it is refused before anything is
// sent, and a string it cannot read fails with its words.
bool CheckTarget(const std::string& target, LogError& error) {
    char* problem = nullptr;
    PQconninfoOption* options = PQconninfoParse(target.c_str(), &problem);
    if (options == nullptr) {
        error = {LogError::Kind::CannotOpen, problem != nullptr ? OneLine(problem) : "out of memory"};
        PQfreemem(problem);
        return false;
    }
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        const bool secret =
            std::strcmp(option->keyword, "password") == 0 || std::strcmp(option->keyword, "sslpassword") == 0;
        if (secret && option->val != nullptr && option->val[0] != '\0') password = true;
    }
    PQconninfoFree(options);
    if (password) error = {LogError::Kind::PasswordGiven, {}};
    return !password;
}

}  // namespace

std::unique_ptr<PostgresStationLog> PostgresStationLog::Open(const std::string& target, StationIdentity identity,
                                                             LogAccess access, const Options& options,
                                                             LogError& error) {
    if (!CheckTarget(target, error)) return nullptr;
    std::string problem;
    auto connection = PgConnection::Connect(target, problem);
    if (!connection) {
        error = {LogError::Kind::CannotOpen, problem};
        return nullptr;
    }
    std::unique_ptr<PostgresStationLog> log(
        new PostgresStationLog(target, std::move(identity), access, options, std::move(connection)));
    if (!log->Prepare(error)) return nullptr;
    return log;
}

PostgresStationLog::PostgresStationLog(std::string target, StationIdentity identity, LogAccess access, Options options,
                                       std::unique_ptr<PgConnection> connection)
    : target_(std::move(target)),
      identity_(std::move(identity)),
      access_(access),
      options_(std::move(options)),
      connection_(std::move(connection)),
      retryDelay_(options_.firstRetry) {}

PostgresStationLog::~PostgresStationLog() = default;

LogError PostgresStationLog::Failure(const PgResult& result) {
    LogError error{KindOf(result.SqlState()), result.Error()};
    if (error.detail.empty() && connection_) error.detail = connection_->Error();
    return error;
}

bool PostgresStationLog::Prepare(LogError& error) {
    if (access_ == LogAccess::ReadOnly) {
        // A reader changes nothing, whatever it runs.
        const PgResult readOnly = connection_->Exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
        if (!readOnly.Ok()) {
            error = Failure(readOnly);
            error.kind = LogError::Kind::CannotOpen;
            return false;
        }
        const PgResult known = connection_->Exec("SELECT to_regclass('schema_version') IS NOT NULL");
        if (!known.Ok()) {
            error = Failure(known);
            return false;
        }
        if (known.Bool(0, 0) && SchemaVersion() > 0) return true;
        error = {LogError::Kind::NotARecord, {}};
        return false;
    }
    return Migrate(error) && OpenJournal(error) && HoldInstanceLock(error) && (!journal_->Pending() || Replay(error));
}

int PostgresStationLog::SchemaVersion() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connection_) return 0;
    const PgResult version = connection_->Exec("SELECT coalesce(max(version), 0) FROM schema_version");
    return version.Ok() && version.Rows() == 1 ? static_cast<int>(version.Int(0, 0)) : 0;
}

// Stations that start together: the first to take the schema's lock brings the record up to date, the
// others wait for it and find it done. A database may hold other tables, but a table of the record's
// name without a schema version is something else, and is left as it is.
bool PostgresStationLog::Migrate(LogError& error) {
    PgTransaction transaction(*connection_);
    const auto failed = [&](const PgResult& result) {
        error = Failure(result);
        return false;
    };
    if (!transaction.Began().Ok()) return failed(transaction.Began());
    if (const PgResult lock = connection_->Exec(std::string("SELECT pg_advisory_xact_lock(") + kSchemaLock + ", 0)");
        !lock.Ok())
        return failed(lock);
    const PgResult known =
        connection_->Exec("SELECT to_regclass('schema_version') IS NOT NULL, to_regclass('units') IS NOT NULL");
    if (!known.Ok()) return failed(known);
    if (!known.Bool(0, 0) && known.Bool(0, 1)) {
        error = {LogError::Kind::NotARecord, {}};
        return false;
    }
    if (!known.Bool(0, 0)) {
        if (const PgResult made = connection_->Exec("CREATE TABLE schema_version (version integer NOT NULL)");
            !made.Ok())
            return failed(made);
    }
    const PgResult current = connection_->Exec("SELECT coalesce(max(version), 0) FROM schema_version");
    if (!current.Ok()) return failed(current);
    const auto version = current.Int(0, 0);
    const auto& migrations = PostgresMigrations();
    if (version > migrations.back().version) {
        error = {LogError::Kind::NewerSchema, std::to_string(version)};
        return false;
    }
    for (const auto& migration : migrations) {
        if (migration.version <= version) continue;
        if (const PgResult step = connection_->Script(migration.statements); !step.Ok()) return failed(step);
        const PgResult record = connection_->Exec("INSERT INTO schema_version (version) VALUES ($1::integer)",
                                                  {std::to_string(migration.version)});
        if (!record.Ok()) return failed(record);
    }
    if (const PgResult commit = transaction.Commit(); !commit.Ok()) return failed(commit);
    return true;
}

// One journal per station and database: the database's own identity, not its name, so that what was
// kept for one database never goes into another.
bool PostgresStationLog::OpenJournal(LogError& error) {
    const PgResult identity = connection_->Exec("SELECT id::text FROM record_identity LIMIT 1");
    if (!identity.Ok() || identity.Rows() != 1) {
        error = identity.Ok() ? LogError{LogError::Kind::NotARecord, {}} : Failure(identity);
        return false;
    }
    const std::string record = identity.Text(0, 0);
    const std::string name =
        FileNamePart(identity_.name) + "-" + Sha256Hex(identity_.name + "\n" + record).substr(0, 12) + ".jsonl";
    const std::string path = options_.journalFolder + "/" + name;
    std::error_code failed;
    journal_ = StationJournal::Open(path, failed);
    if (journal_) return true;
    error = {LogError::Kind::NotWritable, path + ": " + failed.message()};
    return false;
}

// Held by this process's session while it is connected; shared, so that a second connection of the
// same process does not wait for the first.
bool PostgresStationLog::HoldInstanceLock(LogError& error) {
    const PgResult held =
        connection_->Exec("SELECT pg_advisory_lock_shared($1::bigint)", {InstanceKey(identity_.instance)});
    if (held.Ok()) return true;
    error = Failure(held);
    return false;
}

// A connection that broke is let go here, where nothing uses it any more; the first try to make it again
// is at once (the database may be back already, after a restart).
bool PostgresStationLog::Reachable(LogError& error) {
    if (connection_ && !connection_->StillThere()) {
        lastProblem_ = connection_->Error();
        connection_.reset();
        nextTry_ = Clock::now();
    }
    if (!connection_) {
        const auto now = Clock::now();
        if (now < nextTry_) {
            error = {LogError::Kind::Failed, lastProblem_};
            return false;
        }
        std::string problem;
        connection_ = PgConnection::Connect(target_, problem);
        if (LogError held; connection_ && access_ == LogAccess::ReadWrite && !HoldInstanceLock(held)) {
            connection_.reset();
            problem = held.detail;
        }
        if (!connection_) {
            lastProblem_ = problem;
            nextTry_ = now + retryDelay_;
            retryDelay_ = std::min(retryDelay_ * 2, options_.lastRetry);
            error = {LogError::Kind::Failed, problem};
            return false;
        }
        retryDelay_ = options_.firstRetry;
    }
    return !journal_ || !journal_->Pending() || Replay(error);
}

PgResult PostgresStationLog::Apply(const JournalEntry& entry) {
    switch (entry.kind) {
        case JournalEntry::Kind::Hook:
            return connection_->Exec("UPDATE units SET hook = $2 WHERE attempt = $1::uuid",
                                     {entry.attempt, entry.hook});
        case JournalEntry::Kind::Abandon:
            return connection_->Exec("DELETE FROM units WHERE attempt = $1::uuid AND result IS NULL", {entry.attempt});
        case JournalEntry::Kind::Finish:
            break;
    }
    return connection_->Exec(
        "UPDATE units SET finished_at = $2::timestamptz, result = $3, failed_step = $4, differences = $5, "
        "duration_ms = $6::bigint, note = $7, extended_address = coalesce($8, extended_address), "
        "model = coalesce($9, model), firmware = coalesce($10, firmware) WHERE attempt = $1::uuid",
        {entry.attempt, entry.finishedAt, entry.result, OrNull(entry.failedStep), OrNull(entry.differences),
         std::to_string(entry.durationMs), OrNull(entry.note), OrNull(entry.extendedAddress), OrNull(entry.model),
         OrNull(entry.firmware)});
}

// Every entry again, in one transaction: an entry the database took before (the station ended before
// it emptied its journal) is taken again with the same result.
bool PostgresStationLog::Replay(LogError& error) {
    std::error_code fileError;
    const bool drained = journal_->Drain(
        [&](const std::vector<JournalEntry>& entries) {
            PgTransaction transaction(*connection_);
            if (!transaction.Began().Ok()) {
                error = Failure(transaction.Began());
                return false;
            }
            for (const auto& entry : entries) {
                if (const PgResult applied = Apply(entry); !applied.Ok()) {
                    error = Failure(applied);
                    return false;
                }
            }
            const PgResult commit = transaction.Commit();
            if (!commit.Ok()) error = Failure(commit);
            return commit.Ok();
        },
        fileError);
    if (fileError) error = {LogError::Kind::Failed, journal_->Path() + ": " + fileError.message()};
    return drained;
}

bool PostgresStationLog::Keep(const JournalEntry& entry, LogError& error) {
    std::error_code failed;
    if (journal_ && journal_->Append(entry, failed)) return true;
    error = {LogError::Kind::Failed, journal_ ? journal_->Path() + ": " + failed.message() : lastProblem_};
    return false;
}

// The end of an attempt is never lost to a database that is away: whatever the database does not take
// now is kept in the journal. Only a row the database never had is an error.
bool PostgresStationLog::Write(const JournalEntry& entry, LogError& error) {
    LogError unreachable;
    if (!Reachable(unreachable)) return Keep(entry, error);
    const PgResult applied = Apply(entry);
    if (!applied.Ok()) {
        lastProblem_ = Failure(applied).detail;
        return Keep(entry, error);
    }
    if (applied.Affected() == 1) return true;
    error = {LogError::Kind::Failed, "no row of attempt " + entry.attempt};
    return false;
}

std::optional<std::string> PostgresStationLog::AttemptOf(std::int64_t id) const {
    const auto found = attempts_.find(id);
    if (found == attempts_.end()) return std::nullopt;
    return found->second;
}

void PostgresStationLog::Remember(std::int64_t id, const std::string& attempt) {
    attempts_[id] = attempt;
    attemptOrder_.push_back(id);
    if (attemptOrder_.size() <= kAttemptsKept) return;
    attempts_.erase(attemptOrder_.front());
    attemptOrder_.pop_front();
}

std::optional<bool> PostgresStationLog::InstanceAlive(const std::string& instance, LogError& error) {
    if (instance == identity_.instance || InstanceRunning(instance)) return true;
    // Its lock is free only when no session holds it: taken here, it goes with the transaction.
    const PgResult taken = connection_->Exec("SELECT pg_try_advisory_xact_lock($1::bigint)", {InstanceKey(instance)});
    if (!taken.Ok()) {
        error = Failure(taken);
        return std::nullopt;
    }
    return !taken.Bool(0, 0);
}

std::optional<int> PostgresStationLog::MarkInterrupted(LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Reachable(error)) return std::nullopt;
    PgTransaction transaction(*connection_);
    if (!transaction.Began().Ok()) {
        error = Failure(transaction.Began());
        return std::nullopt;
    }
    const std::string station = DatabaseText(identity_.name);
    const PgResult owners =
        connection_->Exec("SELECT DISTINCT instance FROM units WHERE station = $1 AND result IS NULL", {station});
    if (!owners.Ok()) {
        error = Failure(owners);
        return std::nullopt;
    }
    int marked = 0;
    for (int row = 0; row < owners.Rows(); ++row) {
        const std::string instance = owners.Text(row, 0);
        const auto alive = InstanceAlive(instance, error);
        if (!alive) return std::nullopt;
        if (*alive) continue;
        const PgResult mark = connection_->Exec(
            "UPDATE units SET result = 'interrupted', note = trim(coalesce(note, '') || ' left-unfinished') "
            "WHERE station = $1 AND instance = $2 AND result IS NULL",
            {station, instance});
        if (!mark.Ok()) {
            error = Failure(mark);
            return std::nullopt;
        }
        marked += static_cast<int>(mark.Affected());
    }
    if (const PgResult commit = transaction.Commit(); !commit.Ok()) {
        error = Failure(commit);
        return std::nullopt;
    }
    return marked;
}

std::optional<UnitBegin> PostgresStationLog::TryBegin(const UnitStart& start, bool again, const std::string& attempt,
                                                      LogError& error) {
    const auto failed = [&](const PgResult& result) -> std::optional<UnitBegin> {
        error = Failure(result);
        return std::nullopt;
    };
    PgTransaction transaction(*connection_);
    if (!transaction.Began().Ok()) return failed(transaction.Began());
    UnitBegin begin;
    const std::string address = DatabaseText(start.extendedAddress);
    if (!address.empty()) {
        // Another station asking about this unit now waits here until this transaction has ended.
        const PgResult lock =
            connection_->Exec(std::string("SELECT pg_advisory_xact_lock(") + kUnitLock + ", hashtext($1))", {address});
        if (!lock.Ok()) return failed(lock);
        // Both questions in one statement, so that both answers come from one moment: a unit that
        // another station finishes meanwhile is seen either running or passed, never neither.
        const PgResult known = connection_->Exec(
            "SELECT result IS NULL, instance FROM units WHERE extended_address = $1 AND "
            "(result IS NULL OR (result = 'pass' AND profile_sha256 = $2))",
            {address, DatabaseText(start.profileSha256)});
        if (!known.Ok()) return failed(known);
        bool passed = false;
        bool inProgress = false;
        for (int row = 0; row < known.Rows() && !inProgress; ++row) {
            if (!known.Bool(row, 0)) {
                passed = true;
                continue;
            }
            const auto alive = InstanceAlive(known.Text(row, 1), error);
            if (!alive) return std::nullopt;
            inProgress = *alive;
        }
        if (inProgress) {
            begin.outcome = UnitBegin::Outcome::InProgress;
        } else if (passed && !again) {
            begin.outcome = UnitBegin::Outcome::AlreadyPassed;
        }
    }
    const bool finished = begin.outcome != UnitBegin::Outcome::Started;
    const std::string startedAt = FormatUtc(start.startedAt);
    const PgValue note = begin.outcome == UnitBegin::Outcome::AlreadyPassed ? PgValue("already-passed")
                         : begin.outcome == UnitBegin::Outcome::InProgress  ? PgValue("in-progress-elsewhere")
                                                                            : std::nullopt;
    const PgResult inserted = connection_->Exec(
        "INSERT INTO units (started_at, finished_at, station, port, extended_address, model, firmware, "
        "profile_name, profile_sha256, result, duration_ms, tool_version, note, instance, attempt) "
        "VALUES ($1::timestamptz, $2::timestamptz, $3, $4, $5, $6, $7, $8, $9, $10, $11::bigint, $12, $13, $14, "
        "$15::uuid) RETURNING id",
        {startedAt, finished ? PgValue(startedAt) : std::nullopt, DatabaseText(identity_.name),
         DatabaseText(start.port), OrNull(start.extendedAddress), OrNull(start.model), OrNull(start.firmware),
         DatabaseText(start.profileName), DatabaseText(start.profileSha256),
         finished ? PgValue("skipped") : std::nullopt, finished ? PgValue("0") : std::nullopt,
         DatabaseText(start.toolVersion), note, DatabaseText(identity_.instance), attempt});
    if (!inserted.Ok() || inserted.Rows() != 1) return failed(inserted);
    if (const PgResult commit = transaction.Commit(); !commit.Ok()) return failed(commit);
    begin.id = inserted.Int(0, 0);
    return begin;
}

std::optional<UnitBegin> PostgresStationLog::BeginUnit(const UnitStart& start, bool again, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Reachable(error)) return std::nullopt;
    const std::string attempt = NewAttemptId();
    if (attempt.empty()) {
        error = {LogError::Kind::Failed, "no random numbers for the attempt's identity"};
        return std::nullopt;
    }
    auto begin = TryBegin(start, again, attempt, error);
    if (begin) {
        if (begin->outcome == UnitBegin::Outcome::Started) Remember(begin->id, attempt);
        return begin;
    }
    // The connection broke on the way: the row may have been written although this station never heard
    // so. Unanswered, it would stand for a unit in progress for as long as this station runs.
    if (connection_->Broken()) {
        JournalEntry abandon;
        abandon.kind = JournalEntry::Kind::Abandon;
        abandon.attempt = attempt;
        LogError ignored;
        Keep(abandon, ignored);
    }
    return std::nullopt;
}

bool PostgresStationLog::FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto attempt = AttemptOf(id);
    if (!attempt) {
        error = {LogError::Kind::Failed, "no row " + std::to_string(id)};
        return false;
    }
    return Write(FinishEntry(*attempt, end), error);
}

bool PostgresStationLog::RecordHook(std::int64_t id, const std::string& outcome, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto attempt = AttemptOf(id);
    if (!attempt) {
        error = {LogError::Kind::Failed, "no row " + std::to_string(id)};
        return false;
    }
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Hook;
    entry.attempt = *attempt;
    entry.hook = DatabaseText(outcome);
    return Write(entry, error);
}

std::optional<bool> PostgresStationLog::HasPassed(const std::string& extendedAddress, const std::string& profileSha256,
                                                  LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Reachable(error)) return std::nullopt;
    const PgResult passed = connection_->Exec(
        "SELECT EXISTS (SELECT 1 FROM units WHERE extended_address = $1 AND profile_sha256 = $2 AND result = 'pass')",
        {DatabaseText(extendedAddress), DatabaseText(profileSha256)});
    if (passed.Ok()) return passed.Bool(0, 0);
    error = Failure(passed);
    return std::nullopt;
}

std::optional<std::vector<LogRow>> PostgresStationLog::Rows(const RowQuery& query, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Reachable(error)) return std::nullopt;
    std::string sql = std::string("SELECT ") + kColumns + " FROM units";
    std::vector<PgValue> parameters;
    if (query.since) {
        sql += " WHERE started_at >= $1::timestamptz";
        parameters.emplace_back(*query.since);
    }
    sql += " ORDER BY started_at, id";
    const PgResult selected = connection_->Exec(sql, parameters);
    if (!selected.Ok()) {
        error = Failure(selected);
        return std::nullopt;
    }
    std::vector<LogRow> rows;
    rows.reserve(static_cast<std::size_t>(selected.Rows()));
    for (int row = 0; row < selected.Rows(); ++row) rows.push_back(RowFrom(selected, row));
    return rows;
}

std::size_t PostgresStationLog::Journaled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return journal_ ? journal_->Count() : 0;
}

std::string PostgresStationLog::JournalPath() const {
    return journal_ ? journal_->Path() : std::string();
}

}  // namespace q470
