#pragma once

#include <optional>
#include <string>

#include "session_step.h"
#include "write_verifier.h"

namespace q470 {

class DeviceSession;

// What follows a successful write: the restart that puts the settings in force, and the read-back
// that shows the device took them.
struct FollowUpRequest {
    std::string port;      // as opened: a port that goes with the restart is looked for by its names
    bool restart = false;  // restart the device even where the write does not call for it
    bool verify = false;   // restart, find the device again, read it back and compare
};

// Where a port that went with the device's restart came back.
struct PortReturnReport {
    bool wentAway = false;  // the port went with the restart
    bool back = false;      // and came back within the restart budget
    std::string foundAs;    // the name it came back under
    std::chrono::milliseconds restartBudget{0};
};

// What each step after the write came to. A step that ended the run (a hang-up, out of step, a stop)
// is the last one filled.
struct WriteFollowUp {
    std::optional<StepResult> clear;    // AT+ASSOCCLR after a PAN ID change the device needs it for
    std::optional<StepResult> restart;  // the restart after the write
    std::optional<VerifyReport> verify;
    // An acknowledged restart asked for without a read-back: whether its port went and came back.
    std::optional<PortReturnReport> portReturn;

    // The step at which the run ended, or nothing when it went on to the end.
    const StepResult* Ended() const;
    bool Acknowledged(const std::optional<StepResult>& step) const { return step && step->end == StepEnd::Done; }
};

// After the session's last write succeeded: what its job calls for next (the association clear and
// restart a PAN ID change needs, the restart a file needs), the restart `request` asks for when none
// was sent, then the read-back or the wait for a port that went with the restart.
WriteFollowUp FinishWrites(DeviceSession& session, const FollowUpRequest& request);

}  // namespace q470
