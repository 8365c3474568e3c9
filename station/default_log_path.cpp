#include "default_log_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace q470 {
namespace {

constexpr const char* kLogName = "q470-manager/station.sqlite3";

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
    return {};
}

}  // namespace

std::string DefaultLogPath() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::string(data) + "/" + kLogName;
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    return home + "/.local/share/" + kLogName;
}

}  // namespace q470
