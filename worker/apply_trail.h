#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command_id.h"

namespace q470 {

// One set command of an apply job, as it went to the device.
struct AppliedStep {
    CommandId command = CmdAt;
    std::string text;  // the command without its carriage return, for example "AT+PANID=4660"
};

// What an apply job wrote: the set commands the device acknowledged, in the order they went out, and
// the first one it did not (refused, unanswered, cut short by a closed port). When a step failed, the
// device holds the acknowledged settings and not the failed one or any after it; the quiet-mode close
// that still runs after a failed file item is listed among the acknowledged when it went through.
struct ApplyTrail {
    std::vector<AppliedStep> acknowledged;
    std::optional<AppliedStep> failed;
};

// Keeps the trail of one job, one step at a time.
class ApplyTrailRecorder {
public:
    // Records the step as acknowledged or, unless an earlier one failed, as the failed step. Returns
    // `acknowledged`, so that a job step stays one line.
    bool Record(CommandId command, const std::string& sentText, bool acknowledged);
    const ApplyTrail& Trail() const { return trail_; }

private:
    ApplyTrail trail_;
};

}  // namespace q470
