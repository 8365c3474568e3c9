#pragma once

#include <string>

#include "cli_request.h"
#include "simulated_modem.h"

namespace q470 {

// The built-in demonstration device of --sim, served in this process on a pseudo-terminal and paced
// at the line rate, so that it answers as slowly as a real one.
class SimulatedPort {
public:
    explicit SimulatedPort(const CliRequest& request);
    // False with the reason in `error` when the pseudo-terminal cannot be made.
    bool Start(std::string& error);
    const std::string& Port() const { return modem_.PortPath(); }

private:
    sim::SimulatedModem modem_;
};

}  // namespace q470
