#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "device_records.h"
#include "job_input.h"
#include "setting_check.h"
#include "write_verifier.h"

namespace q470 {

class CKeldanQ470RConfiguratorDlg;
struct DeviceState;

// What the window does when the device goes away for a while: after a restart or a factory reset it
// waits for the device to come back (its port too, when that went with it), reconnects at the line the
// device uses now and reads it; with the verify option it first reads back what was written since the
// last restart and tells how that compares. After an unplug it waits for the port to come back. The
// wait runs off the window thread, with the status saying what it waits for and a Cancel button.
class DeviceReturnFlow {
public:
    enum class Cause { Restart, FactoryReset, PortLost };
    enum class Outcome {
        NotTaken,  // the options leave it to the window, which goes on as before
        Back,      // reconnected: the identify job is queued
        NotBack,   // gone for good, or cancelled: the port is closed
    };

    explicit DeviceReturnFlow(CKeldanQ470RConfiguratorDlg& window);

    // A write job succeeded: what it sent, for the restart that brings it into force to be checked
    // against and reconnected at. A later write of the same setting replaces an earlier one.
    void NoteWritten(std::int32_t job, const JobInput& input, const DeviceState& state);
    // Whether the verify option asks for a restart after every write.
    bool VerifyAfterWrite() const;
    // Whether a restart is followed here rather than by the connection dialog.
    bool TakesRestarts() const;

    // Window thread, inside the job result or port failure it follows; waits (with the window painting
    // and Cancel working) until the device is back or it gives up.
    Outcome Follow(Cause cause);
    bool Waiting() const { return waiting_; }
    // Ends the wait under way promptly (Cancel, closing the window).
    void Cancel() { cancel_ = true; }
    // How long the device is given to come back (tests shorten it).
    void SetRestartBudget(std::chrono::milliseconds budget) { budget_ = budget; }

private:
    Outcome Verify(std::vector<SettingCheck> checks);
    Outcome FindAgain(std::vector<ConnectionLine> lines);
    // Shows the wait in the status bar and runs `work` off the window thread.
    void RunWaiting(const std::function<void()>& work);
    Outcome Reconnect(const std::string& name, const ConnectionLine& line);

    CKeldanQ470RConfiguratorDlg& window_;
    std::vector<SettingCheck> written_;  // since the last restart
    std::atomic<bool> cancel_{false};
    bool waiting_ = false;
    std::chrono::milliseconds budget_ = kRestartBudget;
};

}  // namespace q470
