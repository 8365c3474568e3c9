#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "apply_trail.h"
#include "command_id.h"

namespace q470 {

// The steps of working with one device, as a front end shows its progress.
enum class SessionStep {
    Opening,
    Identifying,
    Reading,
    CheckingRequest,  // what is to be written, against the rules and the device as read
    ApplyingFile,
    ApplyingGeneral,
    ApplyingGpio,
    ClearingAssociations,
    Restarting,
    FactoryResetting,
    Verifying,
    Sending,
};

// How a step ended.
enum class StepEnd {
    Done,       // the job ended as it should; a restart-type command was acknowledged
    Refused,    // the device answered ERROR
    NoAnswer,   // no answer in time, or not the one expected
    HungUp,     // the device went away while the step ran (or the step could not run at all)
    OutOfStep,  // the device never finished its answer to the last command sent: nothing more goes out
    Stopped,    // the run was asked to stop
};

// A Refused or NoAnswer step leaves the device at hand; after any other failure the run ends there.
inline bool EndsTheRun(StepEnd end) {
    return end == StepEnd::HungUp || end == StepEnd::OutOfStep || end == StepEnd::Stopped;
}

struct StepResult {
    SessionStep step = SessionStep::Opening;
    StepEnd end = StepEnd::Done;
    std::optional<std::int32_t> jobResult;  // the job's result code, when a job ran and ended
    bool Ok() const { return end == StepEnd::Done; }
};

// One entry of a session's trail: a step, and for a step that sent settings or a restart-type command,
// each command by its setting with its values and what the device made of it.
struct TrailEntry {
    SessionStep step = SessionStep::Opening;
    StepEnd end = StepEnd::Done;
    std::vector<AppliedStep> commands;
};

}  // namespace q470
