#include "open_station_log.h"

#include <filesystem>

#include "default_log_path.h"
#include "sqlite_station_log.h"
#ifdef Q470_HAVE_LIBPQ
#include "postgres_station_log.h"
#endif

namespace q470 {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

bool IsDatabaseTarget(const std::string& target) {
    if (StartsWith(target, "postgresql://") || StartsWith(target, "postgres://")) return true;
    std::size_t at = target.find_first_not_of(" \t");
    const std::size_t word = at;
    while (at < target.size() && ((target[at] >= 'a' && target[at] <= 'z') || target[at] == '_')) ++at;
    if (at == word || at == std::string::npos) return false;
    at = target.find_first_not_of(" \t", at);
    return at != std::string::npos && target[at] == '=';
}

std::unique_ptr<StationLog> OpenStationLog(const std::string& target, const StationIdentity& identity, LogAccess access,
                                           LogError& error) {
    if (!IsDatabaseTarget(target)) {
        const std::string path = target.empty() ? DefaultLogPath() : target;
        if (path.empty()) {
            error = {LogError::Kind::CannotOpen, {}};
            return nullptr;
        }
        return SqliteStationLog::Open(path, identity, access, error);
    }
#ifdef Q470_HAVE_LIBPQ
    PostgresStationLog::Options options;
    if (access == LogAccess::ReadWrite) {
        const std::string beside = DefaultLogPath();
        if (beside.empty()) {
            error = {LogError::Kind::CannotOpen, {}};
            return nullptr;
        }
        options.journalFolder = (std::filesystem::path(beside).parent_path() / "journal").string();
    }
    return PostgresStationLog::Open(target, identity, access, options, error);
#else
    error = {LogError::Kind::Unsupported, {}};
    return nullptr;
#endif
}

}  // namespace q470
