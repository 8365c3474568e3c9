#include "pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <array>
#include <cstdlib>

namespace q470 {
namespace {

// Keeps the server's notices ("relation already exists, skipping") off the terminal: the station's core
// prints nothing.
void IgnoreNotice(void* /*argument*/, const char* /*message*/) {}

}  // namespace

std::string OneLine(const std::string& text) {
    std::string line;
    bool space = false;
    for (const char c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            space = !line.empty();
            continue;
        }
        if (space) line += ' ';
        space = false;
        line += c;
    }
    return line;
}

PgResult::~PgResult() {
    PQclear(result_);
}

bool PgResult::Ok() const {
    const ExecStatusType status = PQresultStatus(result_);
    return result_ != nullptr && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

int PgResult::Rows() const {
    return result_ != nullptr ? PQntuples(result_) : 0;
}

std::string PgResult::Text(int row, int column) const {
    return PQgetvalue(result_, row, column);
}

std::optional<std::string> PgResult::OptionalText(int row, int column) const {
    if (PQgetisnull(result_, row, column) != 0) return std::nullopt;
    return Text(row, column);
}

std::int64_t PgResult::Int(int row, int column) const {
    return std::strtoll(PQgetvalue(result_, row, column), nullptr, 10);
}

std::optional<std::int64_t> PgResult::OptionalInt(int row, int column) const {
    if (PQgetisnull(result_, row, column) != 0) return std::nullopt;
    return Int(row, column);
}

bool PgResult::Bool(int row, int column) const {
    return Text(row, column) == "t";
}

std::int64_t PgResult::Affected() const {
    return std::strtoll(PQcmdTuples(result_), nullptr, 10);
}

std::string PgResult::SqlState() const {
    const char* state = result_ != nullptr ? PQresultErrorField(result_, PG_DIAG_SQLSTATE) : nullptr;
    return state != nullptr ? state : "";
}

std::string PgResult::Error() const {
    return result_ != nullptr ? OneLine(PQresultErrorMessage(result_)) : "out of memory";
}

std::unique_ptr<PgConnection> PgConnection::Connect(const std::string& target, std::string& error) {
    // The target's own settings win over these defaults (they come after them), except the encoding:
    // every text the station sends and reads is UTF-8. A server that is gone does not hold the station
    // for long: a connection attempt and a silent network are given up on after seconds.
    const std::array<const char*, 8> keywords{
        "fallback_application_name", "connect_timeout", "keepalives_idle", "keepalives_interval",
        "keepalives_count",          "dbname",          "client_encoding", nullptr};
    const std::array<const char*, 8> values{"q470-station", "10", "10", "5", "3", target.c_str(), "UTF8", nullptr};
    pg_conn* connection = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (connection == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    if (PQstatus(connection) != CONNECTION_OK) {
        error = OneLine(PQerrorMessage(connection));
        PQfinish(connection);
        return nullptr;
    }
    PQsetNoticeProcessor(connection, IgnoreNotice, nullptr);
    return std::unique_ptr<PgConnection>(new PgConnection(connection));
}

PgConnection::~PgConnection() {
    PQfinish(connection_);
}

PgResult PgConnection::Exec(const std::string& sql, const std::vector<PgValue>& parameters) {
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const auto& parameter : parameters) values.push_back(parameter ? parameter->c_str() : nullptr);
    return PgResult(PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                 nullptr, nullptr, 0));
}

PgResult PgConnection::Script(const std::string& sql) {
    return PgResult(PQexec(connection_, sql.c_str()));
}

// A server that shuts down sends its reason and then closes: both are read here, the reason first, so
// the socket is looked at until nothing more waits on it.
bool PgConnection::StillThere() {
    constexpr int kLooks = 8;
    for (int look = 0; look < kLooks && PQstatus(connection_) == CONNECTION_OK; ++look) {
        pollfd waiting{PQsocket(connection_), POLLIN, 0};
        if (poll(&waiting, 1, 0) <= 0) break;
        if (PQconsumeInput(connection_) == 0) return false;
    }
    return PQstatus(connection_) == CONNECTION_OK;
}

bool PgConnection::Broken() const {
    return PQstatus(connection_) != CONNECTION_OK;
}

std::string PgConnection::Error() const {
    return OneLine(PQerrorMessage(connection_));
}

PgTransaction::PgTransaction(PgConnection& connection) : connection_(connection), began_(connection.Exec("BEGIN")) {
    done_ = !began_.Ok();
}

PgTransaction::~PgTransaction() {
    if (!done_ && !connection_.Broken()) connection_.Exec("ROLLBACK");
}

PgResult PgTransaction::Commit() {
    done_ = true;
    return connection_.Exec("COMMIT");
}

}  // namespace q470
