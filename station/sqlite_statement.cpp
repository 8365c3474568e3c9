#include "sqlite_statement.h"

#include <sqlite3.h>

namespace q470 {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql)
    : db_(db), prepareResult_(sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr)) {}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::BindOptional(int index, const std::optional<std::string>& text) {
    if (text) return Bind(index, std::string_view(*text));
    sqlite3_bind_null(statement_, index);
    return *this;
}

SqliteStatement& SqliteStatement::BindOrNull(int index, const std::string& text) {
    return BindOptional(index, text.empty() ? std::nullopt : std::optional<std::string>(text));
}

int SqliteStatement::Step() {
    if (statement_ == nullptr) return prepareResult_ != SQLITE_OK ? prepareResult_ : SQLITE_MISUSE;
    return sqlite3_step(statement_);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    if (text == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::optional<std::string> SqliteStatement::OptionalText(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    return Text(column);
}

std::int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<std::int64_t> SqliteStatement::OptionalInt(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    return Int(column);
}

}  // namespace q470
