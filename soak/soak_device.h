#pragma once

#include <memory>
#include <string>

#include "device_ledger.h"
#include "fault_chooser.h"
#include "modem_settings.h"
#include "simulated_modem.h"

namespace q470::soak {

// One soak device and its ledger. Each device gets a fault intensity of its own and, now and then, a
// hang-up after a random number of commands; the choices come from the run's generator.
class SoakDevice {
public:
    SoakDevice() = default;
    ~SoakDevice();
    SoakDevice(const SoakDevice&) = delete;
    SoakDevice& operator=(const SoakDevice&) = delete;

    // False with a message in `error` when the device's pseudo-terminal cannot be created.
    // With `portLink`, the port is also reachable by that link, which goes when the device does.
    bool Start(sim::ModemSettings settings, FaultChooser& random, std::string& error, const std::string& portLink = {});
    void Stop();
    bool Running() const { return ledger_ != nullptr; }

    sim::SimulatedModem& Modem() { return *modem_; }
    DeviceLedger& Ledger() { return *ledger_; }

private:
    std::unique_ptr<sim::SimulatedModem> modem_;
    std::unique_ptr<DeviceLedger> ledger_;
};

}  // namespace q470::soak
