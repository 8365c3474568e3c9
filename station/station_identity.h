#pragma once

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

// This process's identity as a station called `name`.
StationIdentity CurrentStation(const std::string& name);

// Whether the process an instance text names still runs on this machine (same boot, same process id
// and start time). An instance of another machine or boot, or one that cannot be read, has ended.
bool InstanceRunning(const std::string& instance);

}  // namespace q470
