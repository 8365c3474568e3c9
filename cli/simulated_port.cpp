#include "simulated_port.h"

#include "modem_settings.h"

namespace q470 {
namespace {

// The command line accepts only the three model names.
sim::ModemSettings SettingsFor(const CliRequest& request) {
    const auto model = sim::ModelFromName(request.simModel.value_or(""));
    return sim::FactorySettings(model.value_or(sim::ModemModel::Q470R), request.simFirmware.value_or(""));
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
