#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "device_probe.h"
#include "device_records.h"
#include "q470comm.h"

namespace q470 {

// What the search found on one port.
enum class DiscoveryOutcome {
    Found,         // a modem answered, was identified and told its identity
    NoDevice,      // nothing answered at any line setting tried
    Busy,          // another program holds the port
    CannotOpen,    // the port cannot be opened (missing, no permission, ...): `openError` says why
    Unidentified,  // something answered the probe but its model name is none of the three, or it
                   // stopped answering before its identity was read
    Stopped,       // the search was stopped before it was done with this port
};

struct PortDiscovery {
    std::string port;
    DiscoveryOutcome outcome = DiscoveryOutcome::NoDevice;
    std::error_code openError;           // Busy, CannotOpen
    std::optional<ConnectionLine> line;  // where the device answered (Found, Unidentified)
    DeviceIdentity identity;             // Found; for Unidentified as far as it came
    std::size_t settingsTried = 0;
    // Line settings the port could not be set to (a pseudo-terminal takes no parity): left out, the
    // search going on with the next.
    std::vector<ConnectionLine> linesSkipped;
    std::chrono::milliseconds elapsed{0};
};

// Lets another thread stop a search: the probes waiting on a port end at once.
class DiscoveryStop {
public:
    void Stop();
    bool Stopped() const { return stopped_.load(); }

    // False once stopped: the caller must not go on with the link.
    bool Attach(Q470Comm& link);
    void Detach(Q470Comm& link);

private:
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::vector<Q470Comm*> links_;
};

struct DiscoveryOptions {
    bool thorough = false;  // also the parity and stop-bit variants
    // Sees each port's traffic as it happens (a trace); called on the searching threads.
    std::function<void(const std::string& port, LinkTraffic traffic, std::string_view bytes,
                       std::chrono::steady_clock::time_point when)>
        observer;
};

// Before each line setting is tried: the port, the setting, its number and how many there are.
// Called on the searching threads.
using DiscoveryProgress =
    std::function<void(const std::string& port, const ConnectionLine& line, std::size_t index, std::size_t count)>;

// Searches one port: opens it once, then tries the line settings in turn with a probe that a quiet
// device answers too, and stops at the first answer; then identifies the device and reads its
// identity. It sends queries only, never a setting. A setting the port cannot be set to is skipped; a
// port that takes none of them cannot be opened.
PortDiscovery DiscoverPort(const std::string& port, const DiscoveryOptions& options, DiscoveryStop* stop = nullptr,
                           const DiscoveryProgress& progress = {});

// Every port at once, each on its own thread; the results in the order of `ports`.
std::vector<PortDiscovery> DiscoverPorts(const std::vector<std::string>& ports, const DiscoveryOptions& options,
                                         DiscoveryStop* stop = nullptr, const DiscoveryProgress& progress = {});

// The name of an outcome in JSON and tables: "found", "noDevice", "busy", "cannotOpen", "unidentified",
// "stopped".
const char* DiscoveryOutcomeName(DiscoveryOutcome outcome);

}  // namespace q470
