#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device_state.h"
#include "exit_status.h"
#include "general_settings.h"
#include "gpio_settings.h"

namespace q470 {

// What one command did on one port, for the report printed once every port has finished.
struct PortOutcome {
    std::string port;
    int status = ExitOk;
    std::optional<std::int32_t> result;  // the deciding job's result code, or the kind of the AT answer
    std::string message;                 // the result (status 0) or what went wrong

    bool identified = false;  // device.modelKind and device.quietMode are known
    bool read = false;        // device, general (and for a Q470R gpio) are filled
    DeviceState device;
    GeneralSettings general;
    GpioSettings gpio;

    std::vector<std::string> lines;               // at: every line received
    std::optional<std::size_t> executedCommands;  // apply: the items of the file
    std::string file;                             // save: the file written
    bool associationCleared = false;              // set: a PAN ID change needed AT+ASSOCCLR
    bool restarted = false;                       // the restart job ran
};

}  // namespace q470
