#pragma once

#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace q470 {

struct PortEvent {
    enum class Kind { Appeared, Vanished };
    Kind kind = Kind::Appeared;
    std::string port;  // as the station names it: the path given, or /dev/<name> for a USB port
};

// Serial ports coming and going, told from a thread of the watch's own. A port that is there when the
// watch starts is told as appeared (for a watch of USB ports: only when asked to).
class PortWatch {
public:
    using Sink = std::function<void(const PortEvent& event)>;

    PortWatch() = default;
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;
    virtual ~PortWatch() = default;  // implementations stop in their destructor

    // Starts telling `sink`; false with `error` when the watch cannot run at all.
    virtual bool Start(Sink sink, std::error_code& error) = 0;
    // After Stop returns, `sink` is not called again.
    virtual void Stop() = 0;
    // The ports the station knows in advance (named paths); empty for a watch of whatever appears.
    virtual std::vector<std::string> NamedPorts() const = 0;
    // False when the system's own notification could not be used and the watch looks at intervals.
    virtual bool Notified() const = 0;
};

// The watch for `ports` (named paths, which may not exist yet), or without them for every USB serial
// port that appears.
std::unique_ptr<PortWatch> MakePortWatch(const std::vector<std::string>& ports, bool includePresent = false);

}  // namespace q470
