#include "simulated_port.h"

#include "line_settings.h"
#include "modem_settings.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

// The command line accepts only the three model names.
// The demonstration device listens at the line the tool opens.
sim::ModemSettings SettingsFor(const CliRequest& request) {
    const auto model = sim::ModelFromName(request.simModel.value_or(""));
    auto settings = sim::FactorySettings(model.value_or(sim::ModemModel::Q470R), request.simFirmware.value_or(""));
    const LineOptions& line = request.line;
    sim::SetUart(settings, sim::FromPortCodes(line.baudRate, line.dataBits, line.parity, line.stopBits));
    return settings;
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

bool SimulatedPort::Available() {
    return true;
}

bool SimulatedPort::Start(std::string& error) {
    return device_->modem.Start(&error);
}

const std::string& SimulatedPort::Port() const {
    return device_->modem.PortPath();
}

}  // namespace q470
