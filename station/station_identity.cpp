#include "station_identity.h"

#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>

#include "utf8_text.h"

namespace q470 {
namespace {

std::string BootId() {
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
}

// Field 22 of /proc/<pid>/stat: when the process started, in clock ticks after boot. A process id alone
// may have been given to another process since.
std::string StartTime(const std::string& pid) {
    std::ifstream file("/proc/" + pid + "/stat");
    std::string stat;
    std::getline(file, stat);
    const auto name = stat.rfind(')');  // the command name may hold spaces and parentheses
    if (name == std::string::npos) return {};
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return field;
    }
    return {};
}

}  // namespace

std::string HostName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    return name.data();
}

std::optional<std::string> StationName(const std::string& given) {
    if (given.empty()) return HostName();
    if (given.size() > kStationNameLimit || given.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    // Clean text is unchanged by escaping; anything escaped was not UTF-8 or was a control character.
    if (CleanUtf8(given, true) != given) return std::nullopt;
    return given;
}

StationIdentity CurrentStation(const std::string& name) {
    const std::string pid = std::to_string(getpid());
    return StationIdentity{name, BootId() + "/" + pid + "/" + StartTime(pid)};
}

bool InstanceRunning(const std::string& instance) {
    const auto first = instance.find('/');
    const auto second = instance.find('/', first == std::string::npos ? first : first + 1);
    if (first == std::string::npos || second == std::string::npos) return false;
    const std::string boot = instance.substr(0, first);
    const std::string pid = instance.substr(first + 1, second - first - 1);
    const std::string started = instance.substr(second + 1);
    if (boot.empty() || boot != BootId() || pid.empty() || started.empty()) return false;
    if (pid.find_first_not_of("0123456789") != std::string::npos) return false;
    return StartTime(pid) == started;
}

}  // namespace q470
