#include "simulated_port.h"

// The build for systems without Unix pseudo-terminals (Windows): the simulated modem cannot run there.
namespace q470 {

struct SimulatedPort::Device {
    std::string port;
};

SimulatedPort::SimulatedPort(const CliRequest&) : device_(std::make_unique<Device>()) {}

SimulatedPort::~SimulatedPort() = default;

std::string SimulatedPort::Unavailable() {
    return "--sim needs a Unix pseudo-terminal for the simulated device, and this system has none; "
           "give a real port with --port";
}

bool SimulatedPort::Start(std::string& error) {
    error = Unavailable();
    return false;
}

const std::string& SimulatedPort::Port() const {
    return device_->port;
}

}  // namespace q470
