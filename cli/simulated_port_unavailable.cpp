#include "simulated_port.h"

// The build for systems without Unix pseudo-terminals (Windows): the simulated modem cannot run there.
namespace q470 {

struct SimulatedPort::Device {
    std::string port;
};

SimulatedPort::SimulatedPort(const CliRequest&) : device_(std::make_unique<Device>()) {}

SimulatedPort::~SimulatedPort() = default;

bool SimulatedPort::Available() {
    return false;
}

bool SimulatedPort::Start(std::string& error) {
    error = "no pseudo-terminal";
    return false;
}

const std::string& SimulatedPort::Port() const {
    return device_->port;
}

}  // namespace q470
