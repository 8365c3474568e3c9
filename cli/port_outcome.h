#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "apply_trail.h"
#include "device_state.h"
#include "exit_status.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "setting_problem.h"
#include "write_verifier.h"

namespace q470 {

// What one command did on one port, for the report printed once every port has finished.
struct PortOutcome {
    std::string port;
    int status = ExitOk;
    std::optional<std::int32_t> result;  // the deciding job's result code, or the kind of the AT answer
    std::string message;                 // the result (status 0) or what went wrong
    std::vector<std::string> details;    // lines that follow a failure's message: its cause, refused values

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
    SettingProblems problems;                     // apply: what the rule check found in the file
    std::vector<std::string> warnings;            // apply: members named but not sent (the file still went)
    std::optional<ApplyTrail> trail;              // an apply job ran: what the device acknowledged, where it stopped
    std::optional<VerifyReport> verify;           // --verify: what the device holds after its restart
};

}  // namespace q470
