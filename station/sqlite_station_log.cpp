#include "sqlite_station_log.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "log_time.h"
#include "sqlite_statement.h"
#include "station_schema.h"

namespace q470 {
namespace {

constexpr const char* kColumns =
    "id, started_at, finished_at, station, port, extended_address, model, firmware, profile_name, profile_sha256, "
    "result, failed_step, differences, duration_ms, tool_version, hook, note";

// A write transaction taken at once (BEGIN IMMEDIATE), so that a question and the row that depends on
// its answer are one step for every other writer; rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : db_(db) {
        began_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteTransaction() {
        if (began_ && !committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool Began() const { return began_; }
    bool Commit() {
        committed_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        return committed_;
    }

private:
    sqlite3* db_;
    bool began_ = false;
    bool committed_ = false;
};

LogRow RowFrom(const SqliteStatement& row) {
    LogRow out;
    out.id = row.Int(0);
    out.startedAt = row.Text(1);
    out.finishedAt = row.OptionalText(2);
    out.station = row.Text(3);
    out.port = row.Text(4);
    out.extendedAddress = row.OptionalText(5);
    out.model = row.OptionalText(6);
    out.firmware = row.OptionalText(7);
    out.profileName = row.Text(8);
    out.profileSha256 = row.Text(9);
    out.result = row.OptionalText(10);
    out.failedStep = row.OptionalText(11);
    out.differences = row.OptionalText(12);
    out.durationMs = row.OptionalInt(13);
    out.toolVersion = row.Text(14);
    out.hook = row.OptionalText(15);
    out.note = row.OptionalText(16);
    return out;
}

LogError OpenFailure(sqlite3* db, int code) {
    LogError error;
    error.kind = code == SQLITE_NOTADB ? LogError::Kind::NotARecord : LogError::Kind::CannotOpen;
    error.detail = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return error;
}

}  // namespace

std::unique_ptr<SqliteStationLog> SqliteStationLog::Open(const std::string& path, StationIdentity identity,
                                                         Access access, LogError& error) {
    if (access == Access::ReadWrite) {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code made;
        if (!folder.empty()) std::filesystem::create_directories(folder, made);
        if (made) {
            error = {LogError::Kind::CannotOpen, made.message()};
            return nullptr;
        }
    }
    const int flags = access == Access::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        error = OpenFailure(db, opened);
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<SqliteStationLog> log(new SqliteStationLog(db, path, std::move(identity)));
    if (!log->Prepare(access, error)) return nullptr;
    return log;
}

SqliteStationLog::SqliteStationLog(sqlite3* db, std::string path, StationIdentity identity)
    : db_(db), path_(std::move(path)), identity_(std::move(identity)) {
    sqlite3_busy_timeout(db_, static_cast<int>(kBusyTimeout.count()));
}

SqliteStationLog::~SqliteStationLog() {
    sqlite3_close(db_);
}

LogError SqliteStationLog::Failure(LogError::Kind kind) const {
    return LogError{kind, sqlite3_errmsg(db_)};
}

bool SqliteStationLog::Exec(const char* sql, LogError& error) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error = Failure(sqlite3_errcode(db_) == SQLITE_NOTADB ? LogError::Kind::NotARecord : LogError::Kind::Failed);
    return false;
}

bool SqliteStationLog::Prepare(Access access, LogError& error) {
    // The file is read here for the first time: a file of another kind fails now.
    if (SqliteStatement tables(db_, "SELECT count(*) FROM sqlite_master"); tables.Step() != SQLITE_ROW) {
        error =
            Failure(sqlite3_errcode(db_) == SQLITE_NOTADB ? LogError::Kind::NotARecord : LogError::Kind::CannotOpen);
        return false;
    }
    if (access == Access::ReadOnly) {
        if (SchemaVersion() > 0) return true;
        error = {LogError::Kind::NotARecord, {}};
        return false;
    }
    // SQLite opens a file it may not write read-only, without a word.
    if (sqlite3_db_readonly(db_, "main") == 1) {
        error = {LogError::Kind::NotWritable, sqlite3_errstr(SQLITE_READONLY)};
        return false;
    }
    // Durable commits: a unit's row must survive the station losing power right after it.
    if (!Exec("PRAGMA journal_mode=WAL", error) || !Exec("PRAGMA synchronous=FULL", error)) {
        if (error.kind == LogError::Kind::Failed) error.kind = LogError::Kind::NotWritable;
        return false;
    }
    return Migrate(error);
}

int SqliteStationLog::SchemaVersion() {
    SqliteStatement version(db_, "SELECT max(version) FROM schema_version");
    return version.Step() == SQLITE_ROW ? static_cast<int>(version.Int(0)) : 0;
}

// Stations that start together: the first to take the write lock brings the schema up to date, the
// others find it done. A file that holds tables but no schema version is some other database and is
// left as it is.
bool SqliteStationLog::Migrate(LogError& error) {
    WriteTransaction transaction(db_);
    if (!transaction.Began()) {
        error = Failure(LogError::Kind::NotWritable);
        return false;
    }
    const auto count = [&](const char* sql) -> std::optional<std::int64_t> {
        SqliteStatement statement(db_, sql);
        if (statement.Step() != SQLITE_ROW) return std::nullopt;
        return statement.Int(0);
    };
    const auto known = count("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
    const auto tables = count("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    if (!known || !tables) {
        error = Failure(LogError::Kind::Failed);
        return false;
    }
    if (*known == 0 && *tables > 0) {
        error = {LogError::Kind::NotARecord, {}};
        return false;
    }
    if (*known == 0 && !Exec("CREATE TABLE schema_version (version INTEGER NOT NULL)", error)) return false;
    const int version = SchemaVersion();
    const auto& migrations = SqliteMigrations();
    if (version > migrations.back().version) {
        error = {LogError::Kind::NewerSchema, std::to_string(version)};
        return false;
    }
    for (const auto& migration : migrations) {
        if (migration.version <= version) continue;
        if (!Exec(migration.statements, error)) return false;
        SqliteStatement record(db_, "INSERT INTO schema_version (version) VALUES (?)");
        if (record.Bind(1, std::int64_t{migration.version}).Step() != SQLITE_DONE) {
            error = Failure(LogError::Kind::Failed);
            return false;
        }
    }
    if (!transaction.Commit()) {
        error = Failure(LogError::Kind::NotWritable);
        return false;
    }
    return true;
}

std::optional<int> SqliteStationLog::MarkInterrupted(LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteTransaction transaction(db_);
    if (!transaction.Began()) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    SqliteStatement owners(db_, "SELECT DISTINCT instance FROM units WHERE station = ? AND result IS NULL");
    owners.Bind(1, identity_.name);
    std::vector<std::string> ended;
    int step;
    while ((step = owners.Step()) == SQLITE_ROW) {
        const std::string instance = owners.Text(0);
        if (instance != identity_.instance && !InstanceRunning(instance)) ended.push_back(instance);
    }
    if (step != SQLITE_DONE) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    int marked = 0;
    for (const auto& instance : ended) {
        SqliteStatement mark(
            db_,
            "UPDATE units SET result = 'interrupted', note = trim(coalesce(note, '') || ' left-unfinished') "
            "WHERE station = ? AND instance = ? AND result IS NULL");
        if (mark.Bind(1, identity_.name).Bind(2, instance).Step() != SQLITE_DONE) {
            error = Failure(LogError::Kind::Failed);
            return std::nullopt;
        }
        marked += sqlite3_changes(db_);
    }
    if (!transaction.Commit()) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    return marked;
}

// An unfinished row of a station process that still runs (this one included: another fixture) means
// someone is at the unit now. Rows an ended process left behind do not count.
bool SqliteStationLog::UnitInProgress(const std::string& extendedAddress, bool& inProgress, LogError& error) {
    SqliteStatement running(db_, "SELECT DISTINCT instance FROM units WHERE extended_address = ? AND result IS NULL");
    running.Bind(1, extendedAddress);
    inProgress = false;
    int step;
    while ((step = running.Step()) == SQLITE_ROW) {
        const std::string instance = running.Text(0);
        if (instance == identity_.instance || InstanceRunning(instance)) inProgress = true;
    }
    if (step == SQLITE_DONE) return true;
    error = Failure(LogError::Kind::Failed);
    return false;
}

std::optional<std::int64_t> SqliteStationLog::InsertRow(const UnitStart& start, const char* result, const char* note,
                                                        LogError& error) {
    const std::string startedAt = FormatUtc(start.startedAt);
    const bool finished = result != nullptr;
    SqliteStatement insert(
        db_,
        "INSERT INTO units (started_at, finished_at, station, port, extended_address, model, firmware, profile_name, "
        "profile_sha256, result, duration_ms, tool_version, note, instance) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, startedAt)
        .BindOrNull(2, finished ? startedAt : std::string())
        .Bind(3, identity_.name)
        .Bind(4, start.port)
        .BindOrNull(5, start.extendedAddress)
        .BindOrNull(6, start.model)
        .BindOrNull(7, start.firmware)
        .Bind(8, start.profileName)
        .Bind(9, start.profileSha256)
        .BindOrNull(10, finished ? result : "")
        .BindOptional(11, finished ? std::optional<std::string>("0") : std::nullopt)
        .Bind(12, start.toolVersion)
        .BindOrNull(13, note != nullptr ? note : "")
        .Bind(14, identity_.instance);
    if (insert.Step() != SQLITE_DONE) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db_);
}

std::optional<UnitBegin> SqliteStationLog::BeginUnit(const UnitStart& start, bool again, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteTransaction transaction(db_);
    if (!transaction.Began()) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    UnitBegin begin;
    if (!start.extendedAddress.empty()) {
        SqliteStatement passed(
            db_, "SELECT 1 FROM units WHERE extended_address = ? AND profile_sha256 = ? AND result = 'pass' LIMIT 1");
        passed.Bind(1, start.extendedAddress).Bind(2, start.profileSha256);
        const int found = passed.Step();
        if (found != SQLITE_ROW && found != SQLITE_DONE) {
            error = Failure(LogError::Kind::Failed);
            return std::nullopt;
        }
        bool inProgress = false;
        if (!UnitInProgress(start.extendedAddress, inProgress, error)) return std::nullopt;
        if (inProgress) {
            begin.outcome = UnitBegin::Outcome::InProgress;
        } else if (found == SQLITE_ROW && !again) {
            begin.outcome = UnitBegin::Outcome::AlreadyPassed;
        }
    }
    const char* result = begin.outcome == UnitBegin::Outcome::Started ? nullptr : "skipped";
    const char* note = begin.outcome == UnitBegin::Outcome::AlreadyPassed ? "already-passed"
                       : begin.outcome == UnitBegin::Outcome::InProgress  ? "in-progress-elsewhere"
                                                                          : nullptr;
    const auto id = InsertRow(start, result, note, error);
    if (!id) return std::nullopt;
    if (!transaction.Commit()) {
        error = Failure(LogError::Kind::Failed);
        return std::nullopt;
    }
    begin.id = *id;
    return begin;
}

bool SqliteStationLog::FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement update(
        db_,
        "UPDATE units SET finished_at = ?, result = ?, failed_step = ?, differences = ?, duration_ms = ?, note = ?, "
        "extended_address = coalesce(?, extended_address), model = coalesce(?, model), "
        "firmware = coalesce(?, firmware) WHERE id = ?");
    update.Bind(1, FormatUtc(end.finishedAt))
        .Bind(2, RecordResultWord(end.result))
        .BindOrNull(3, end.failedStep)
        .BindOrNull(4, end.differences)
        .Bind(5, end.durationMs)
        .BindOrNull(6, end.note)
        .BindOrNull(7, end.extendedAddress)
        .BindOrNull(8, end.model)
        .BindOrNull(9, end.firmware)
        .Bind(10, id);
    if (update.Step() != SQLITE_DONE) {
        error = Failure(LogError::Kind::Failed);
        return false;
    }
    if (sqlite3_changes(db_) == 1) return true;
    error = {LogError::Kind::Failed, "no row " + std::to_string(id)};
    return false;
}

bool SqliteStationLog::RecordHook(std::int64_t id, const std::string& outcome, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement update(db_, "UPDATE units SET hook = ? WHERE id = ?");
    if (update.Bind(1, outcome).Bind(2, id).Step() == SQLITE_DONE && sqlite3_changes(db_) == 1) return true;
    error = Failure(LogError::Kind::Failed);
    return false;
}

std::optional<bool> SqliteStationLog::HasPassed(const std::string& extendedAddress, const std::string& profileSha256,
                                                LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement passed(
        db_, "SELECT 1 FROM units WHERE extended_address = ? AND profile_sha256 = ? AND result = 'pass' LIMIT 1");
    const int step = passed.Bind(1, extendedAddress).Bind(2, profileSha256).Step();
    if (step == SQLITE_ROW) return true;
    if (step == SQLITE_DONE) return false;
    error = Failure(LogError::Kind::Failed);
    return std::nullopt;
}

std::optional<std::vector<LogRow>> SqliteStationLog::Rows(const RowQuery& query, LogError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string sql = std::string("SELECT ") + kColumns + " FROM units";
    if (query.since) sql += " WHERE started_at >= ?";
    sql += " ORDER BY started_at, id";
    SqliteStatement select(db_, sql);
    if (query.since) select.Bind(1, *query.since);
    std::vector<LogRow> rows;
    int step;
    while ((step = select.Step()) == SQLITE_ROW) rows.push_back(RowFrom(select));
    if (step == SQLITE_DONE) return rows;
    error = Failure(LogError::Kind::Failed);
    return std::nullopt;
}

}  // namespace q470
