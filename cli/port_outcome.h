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
#include "outcome.h"
#include "port_description.h"
#include "port_discovery.h"
#include "setting_problem.h"
#include "write_verifier.h"

namespace q470 {

// The reason of a file item that a failed or interrupted apply did not get to.
inline constexpr const char* kNotReachedReason = "notReached";

// A file item the apply did not send, and why: a member the check named (its problem kind), or an
// item the failed or interrupted apply did not reach.
struct UnsentItem {
    std::string member;  // "General/RF Channel"
    std::string reason;  // "not-for-model", "unknown-member", ..., "not-reached"
    std::string message;
};

// What one command did on one port, for the report printed once every port has finished.
struct PortOutcome {
    std::string port;
    int status = ExitOk;
    Outcome outcome = Outcome::Ok;
    std::optional<std::int32_t> jobResult;  // the result code of the last job that ran
    std::string message;                    // the result (status 0) or what went wrong
    std::vector<std::string> details;       // lines that follow a failure's message: its cause, refused values

    bool identified = false;  // device.modelKind and device.quietMode are known
    bool read = false;        // device, general (and for a Q470R gpio) are filled
    DeviceState device;
    GeneralSettings general;
    GpioSettings gpio;
    bool generalWritten = false;  // set: `general` is the record the device acknowledged
    bool gpioWritten = false;     // gpio: `gpio` is the record the device acknowledged

    std::vector<std::string> lines;              // at: every line received for the command, escaped
    std::optional<std::string> finalLine;        // at: "OK" or "ERROR", when one ended the command
    std::string file;                            // save, apply: the file as given ({port} filled in for save)
    std::vector<std::string> sent;               // apply, set, gpio: the commands the write job sent, in order
    bool wrote = false;                          // apply, set, gpio: the write job ran
    bool associationCleared = false;             // set: a PAN ID change needed AT+ASSOCCLR
    bool restarted = false;                      // the restart job ran
    std::string cameBackAs;                      // the name a port that went with the restart came back under
    SettingProblems problems;                    // apply: what the rule check found in the file
    std::vector<std::string> warnings;           // apply: members named but not sent (the file still went);
                                                 // read, save: held values a saved file could not restore
    std::vector<UnsentItem> unsent;              // apply: every file item not sent, and why
    std::optional<ApplyTrail> trail;             // a write job ran: what the device acknowledged, where it stopped
    std::optional<VerifyReport> verify;          // --verify: what the device holds after its restart
    std::optional<PortDescription> description;  // ports: what is behind the port, where known
    bool modemManagerRunning = false;            // ports: ModemManager ran when the ports were listed
    std::optional<PortDiscovery> discovery;      // discover: what the search found on the port
};

}  // namespace q470
