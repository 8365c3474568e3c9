#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "modem_settings.h"
#include "simulated_modem.h"

namespace q470 {

// A simulated modem served inside the program on a pseudo-terminal, listed among the serial ports
// while it runs, so the program can do its whole job on a machine without hardware.
class DemoDevice {
public:
    // The device listens at `baudRate` with `stopBits` (channel codes: 0 one, 2 two).
    DemoDevice(sim::ModemModel model, std::uint32_t baudRate, std::uint8_t stopBits);
    ~DemoDevice();
    DemoDevice(const DemoDevice&) = delete;
    DemoDevice& operator=(const DemoDevice&) = delete;

    // False with a message in `error` when the pseudo-terminal cannot be created.
    bool Start(std::string* error);
    QString PortName() const;

private:
    sim::SimulatedModem modem_;
    bool registered_ = false;
};

}  // namespace q470
