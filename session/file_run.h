#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "apply_trail.h"
#include "config_exchange.h"
#include "device_state.h"
#include "job_input.h"
#include "session_step.h"
#include "write_follow_up.h"
#include "write_verifier.h"

namespace q470 {

class DeviceSession;

// A configuration file to write to the device on one port.
struct FileRunRequest {
    std::string port;
    ConnectionLine line;    // the line the device answers at now
    std::string fileBytes;  // the file as it was read
    bool verify = true;     // restart, find the device again, read it back and compare
    // Without verify: once the restart is acknowledged, wait for a port that went with it to come back
    // (a device that does not come back fails the run at its restart).
    bool awaitPortReturn = false;
    // Polled while the run goes on: once true, the step under way ends safely and the run stops.
    std::function<bool()> stopRequested;
    // Called as each step starts, on the thread that runs the file.
    std::function<void(SessionStep)> progress;
    // Polled once a stop was asked for: once true, the port closes at once instead of the step under way
    // ending first.
    std::function<bool()> stopAtOnce;
    // The model the device named on this port just before (to a probe), or 0: when known, the run asks
    // the device only its quiet mode instead of identifying it again.
    std::uint32_t knownModel = 0;
};

// What came of it.
struct FileRunResult {
    bool ok = false;
    StepEnd end = StepEnd::Done;            // how the failed step ended (Stopped for a stop)
    std::optional<SessionStep> failedStep;  // the step that failed or that a stop cut short
    std::error_code openError;              // the port did not open
    bool identified = false;                // `device` holds the model, firmware and extended address
    DeviceState device;
    ConfigLoadOutcome loaded;               // the file checked against the device as read
    SettingItemList items;                  // what the file asks the device to take, as the check left it
    std::optional<std::int32_t> jobResult;  // the result code of the last job that ran
    std::optional<ApplyTrail> trail;        // what the device acknowledged, and where it stopped
    std::optional<VerifyReport> verify;     // the read-back, when asked for and reached
    std::vector<TrailEntry> steps;          // every step, in order
    WriteFollowUp afterWrite;               // the restart (and read-back) after the file was written
};

// Opens the port, identifies and reads the device, checks the file against it, writes it, restarts the
// device and, when asked, reads it back and compares. Blocks until done; several may run at once on
// different ports.
FileRunResult RunConfigurationFile(const FileRunRequest& request);
// The same on a session the caller made (to watch its traffic or stop it from elsewhere); its line
// setting and link folders are the session's own, `request.line` is not looked at.
FileRunResult RunConfigurationFile(DeviceSession& session, const FileRunRequest& request);

}  // namespace q470
