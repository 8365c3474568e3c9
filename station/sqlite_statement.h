#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace q470 {

// One prepared SQLite statement, finalised when it goes. Parameters are bound by position from 1;
// an empty optional binds NULL.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Prepared() const { return statement_ != nullptr; }

    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& BindOptional(int index, const std::optional<std::string>& text);
    // An empty text binds NULL.
    SqliteStatement& BindOrNull(int index, const std::string& text);

    // SQLITE_ROW, SQLITE_DONE or an error code. A statement that did not prepare gives its error.
    int Step();

    std::string Text(int column) const;
    std::optional<std::string> OptionalText(int column) const;
    std::int64_t Int(int column) const;
    std::optional<std::int64_t> OptionalInt(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    int prepareResult_;
};

}  // namespace q470
