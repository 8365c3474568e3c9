#pragma once

#include <cstdint>

#include "device_state.h"
#include "model_jobs.h"  // ReadJobOf, for the callers that chain a read

namespace q470 {

// What a job's result leads to. The window and the command-line tool both ask NextAfterJob and carry
// the step out; the window tells the user first, the tool records the outcome.
enum class FollowUpStep {
    None,               // the result is only told
    Read,               // identify succeeded: `job` reads the device with its model's read job
    Disconnect,         // identify or read failed: the device does not answer as it should
    ClearAssociations,  // an old Q470R firmware keeps the old network's associations after a PAN ID
                        // change: AT+ASSOCCLR (kAssocClearTimeoutMs, answer ignored), then `job` restarts
                        // the device while the port is still open
    Restart,            // a file applied: `job` restarts the device so the file's settings take effect
    ReadAgain,          // a file failed part way: `job` reads the device so what it holds now is shown
    Reconnect,          // restart or factory reset: the device comes back as a new connection
};

struct FollowUp {
    FollowUpStep step = FollowUpStep::None;
    std::int32_t job = 0;  // the job to queue next; 0 when the step queues none
};

// The association clear is the one command the owner sends itself; its answer is not waited for longer.
constexpr std::uint32_t kAssocClearTimeoutMs = 2000;

// `state` is the device as the job left it (read jobs fill it); `panIdWritten` is the PAN ID the
// general apply job wrote (looked at only after job 6). Codes that are not jobs lead to nothing.
FollowUp NextAfterJob(std::int32_t job, std::int32_t result, const DeviceState& state, std::uint16_t panIdWritten);

}  // namespace q470
