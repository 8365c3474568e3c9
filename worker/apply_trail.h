#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command_id.h"

namespace q470 {

// What became of one command a job meant to send.
enum class StepAnswer {
    Acknowledged,  // OK (or, for a restart, its "+READY")
    Refused,       // ERROR
    NoAnswer,      // nothing, or not the answer expected, in time
    HungUp,        // the device went away (or the link was closed) while the command waited
    NotSent,       // the job was asked to stop before it got to the command
};

// One set command of an apply job, as it went to the device.
struct AppliedStep {
    CommandId command = CmdAt;
    std::string text;                     // the command without its carriage return, for example "AT+PANID=4660"
    std::vector<std::uint32_t> values{};  // its parameters in order, for example {4660}
    StepAnswer answer = StepAnswer::Acknowledged;
};

// How the device took a command, from the kind of the record that ended it.
StepAnswer AnswerOfKind(std::int32_t kind);

// What an apply job wrote: the set commands the device acknowledged, in the order they went out, and
// the first one it did not (refused, unanswered, cut short by a closed port). When a step failed, the
// device holds the acknowledged settings and not the failed one or any after it; the quiet-mode close
// that still runs after a failed file item is listed among the acknowledged when it went through.
struct ApplyTrail {
    std::vector<AppliedStep> acknowledged;
    std::optional<AppliedStep> failed;
    // A file apply: the positions in its item list of the items that went to the device, whatever the
    // answer (a quiet-mode item goes with the closing write).
    std::vector<std::size_t> itemsSent{};
};

// Keeps the trail of one job, one step at a time.
class ApplyTrailRecorder {
public:
    // Records the step as acknowledged or, unless an earlier one failed, as the failed step. Returns
    // whether it was acknowledged, so that a job step stays one line.
    bool Record(CommandId command, const std::string& sentText, std::vector<std::uint32_t> values, StepAnswer answer);
    void NoteItemSent(std::size_t item) { trail_.itemsSent.push_back(item); }
    const ApplyTrail& Trail() const { return trail_; }

private:
    ApplyTrail trail_;
};

}  // namespace q470
