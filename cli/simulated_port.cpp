#include "simulated_port.h"

#include "modem_settings.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

// The command line accepts only the three model names.
sim::ModemSettings SettingsFor(const CliRequest& request) {
    const auto model = sim::ModelFromName(request.simModel.value_or(""));
    return sim::FactorySettings(model.value_or(sim::ModemModel::Q470R), request.simFirmware.value_or(""));
}

}  // namespace

struct SimulatedPort::Device {
    explicit Device(const CliRequest& request) : modem(SettingsFor(request)) {}
    sim::SimulatedModem modem;
};

SimulatedPort::SimulatedPort(const CliRequest& request) : device_(std::make_unique<Device>(request)) {
    const LineOptions& line = request.line;
    device_->modem.SetPacing(true, line.baudRate, line.dataBits, line.parity != 0, line.stopBits == 2 ? 2 : 1);
}

SimulatedPort::~SimulatedPort() = default;

std::string SimulatedPort::Unavailable() {
    return {};
}

bool SimulatedPort::Start(std::string& error) {
    return device_->modem.Start(&error);
}

const std::string& SimulatedPort::Port() const {
    return device_->modem.PortPath();
}

}  // namespace q470
