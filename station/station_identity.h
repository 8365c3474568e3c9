#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace q470 {

// Who writes a row: the station's name (the host name unless the operator names it) and the station
// process, so that a station that starts can tell its own unfinished rows left by an ended process
// from those of another station process of the same name that still runs on this machine.
struct StationIdentity {
    std::string name;
    std::string instance;  // "<boot id>/<process id>/<process start time>"
};

// The host name, or "localhost" when the system does not tell one.
std::string HostName();

// The name a station's rows are written under: `given` (the operator's choice, --station-name) or, when
// it is empty, the host name. Nothing when `given` cannot name a station: blank, longer than
// kStationNameLimit bytes, not UTF-8, or holding control characters; the stations of a line tell each
// other apart by it, and people read it in every export.
constexpr std::size_t kStationNameLimit = 64;
std::optional<std::string> StationName(const std::string& given);

// This process's identity as a station called `name`.
StationIdentity CurrentStation(const std::string& name);

// Whether the process an instance text names still runs on this machine (same boot, same process id
// and start time). An instance of another machine or boot, or one that cannot be read, has ended.
bool InstanceRunning(const std::string& instance);

}  // namespace q470
