#pragma once

#include <memory>
#include <string>

#include "cli_request.h"

namespace q470 {

// The built-in demonstration device of --sim, served in this process on a pseudo-terminal and paced
// at the line rate, so that it answers as slowly as a real one. Unix only: where there are no
// pseudo-terminals (Windows) Available() says so and --sim is refused.
class SimulatedPort {
public:
    explicit SimulatedPort(const CliRequest& request);
    ~SimulatedPort();
    SimulatedPort(const SimulatedPort&) = delete;
    SimulatedPort& operator=(const SimulatedPort&) = delete;

    // Whether the device can run on this system.
    static bool Available();
    // False with the reason in `error` when the pseudo-terminal cannot be made.
    bool Start(std::string& error);
    const std::string& Port() const;

private:
    struct Device;
    std::unique_ptr<Device> device_;
};

}  // namespace q470
