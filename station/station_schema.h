#pragma once

#include <vector>

namespace q470 {

// One step of the record's schema: the version it brings the record to and the statements that do it.
// The steps are kept as SQL files in the project (station/schema/<store>/NNNN_what.sql) and compiled in.
struct SchemaMigration {
    int version;
    const char* statements;
};

// The SQLite record's steps, in order of version.
const std::vector<SchemaMigration>& SqliteMigrations();
// The PostgreSQL record's steps, in order of version.
const std::vector<SchemaMigration>& PostgresMigrations();

}  // namespace q470
