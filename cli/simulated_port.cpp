#include "simulated_port.h"

#include "line_settings.h"
#include "modem_settings.h"

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

SimulatedPort::SimulatedPort(const CliRequest& request) : modem_(SettingsFor(request)) {
    const LineOptions& line = request.line;
    modem_.SetPacing(true, line.baudRate, line.dataBits, line.parity != 0, line.stopBits == 2 ? 2 : 1);
}

bool SimulatedPort::Start(std::string& error) {
    return modem_.Start(&error);
}

}  // namespace q470
