#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace q470 {

// One result of a statement on a PostgreSQL connection, cleared when it goes. Values are read as the
// server's text; rows and columns count from 0.
class PgResult {
public:
    explicit PgResult(pg_result* result) : result_(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    PgResult& operator=(PgResult&&) = delete;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    // The statement did what it was asked (with or without rows).
    bool Ok() const;
    int Rows() const;
    std::string Text(int row, int column) const;
    std::optional<std::string> OptionalText(int row, int column) const;
    std::int64_t Int(int row, int column) const;
    std::optional<std::int64_t> OptionalInt(int row, int column) const;
    bool Bool(int row, int column) const;
    // Rows an INSERT, UPDATE or DELETE touched.
    std::int64_t Affected() const;
    // The server's five-character error code ("42501"), empty when there is none.
    std::string SqlState() const;
    // The server's or libpq's words, on one line.
    std::string Error() const;

private:
    pg_result* result_;
};

// A value for a statement's parameter: its text, or NULL.
using PgValue = std::optional<std::string>;

// A connection to a PostgreSQL server through libpq, closed when it goes. Not for two threads at once.
class PgConnection {
public:
    // Connects to `target` (a postgresql:// URI or libpq's key=value form). The password comes from
    // where libpq looks for one (the password file, PGPASSWORD). Texts go both ways as UTF-8. Nothing,
    // with `error` set to libpq's words, when the connection fails.
    static std::unique_ptr<PgConnection> Connect(const std::string& target, std::string& error);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // One statement; its parameters are $1, $2, ... in order.
    PgResult Exec(const std::string& sql, const std::vector<PgValue>& parameters = {});
    // Several statements without parameters (a schema step); the result of the last.
    PgResult Script(const std::string& sql);
    // Whether the connection still stands: reads what the server may have sent meanwhile (a server
    // that shut down has closed it), without waiting.
    bool StillThere();
    bool Broken() const;
    // libpq's words about the connection, on one line.
    std::string Error() const;

private:
    explicit PgConnection(pg_conn* connection) : connection_(connection) {}

    pg_conn* connection_;
};

// BEGIN now, ROLLBACK unless committed (when the connection still stands).
class PgTransaction {
public:
    explicit PgTransaction(PgConnection& connection);
    ~PgTransaction();
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;

    // The BEGIN's result: when it failed, nothing else was sent.
    const PgResult& Began() const { return began_; }
    PgResult Commit();

private:
    PgConnection& connection_;
    PgResult began_;
    bool done_ = false;
};

// libpq's multi-line words as one line.
std::string OneLine(const std::string& text);

}  // namespace q470
