#include "job_follow_up.h"

#include "job_code.h"
#include "model_jobs.h"
#include "needs_assoc_clear.h"

namespace q470 {
namespace {

FollowUp AfterGeneralQ470R(std::int32_t result, const DeviceState& state, std::uint16_t panIdWritten) {
    if (result != JobSucceeded || !NeedsAssocClear(panIdWritten, state)) return {};
    return {FollowUpStep::ClearAssociations, JobRestart};
}

// Any failure code of the file jobs (the kind of item that failed) is a failure like the others.
FollowUp AfterFile(std::int32_t result, const DeviceState& state) {
    if (result == JobSucceeded) return {FollowUpStep::Restart, JobRestart};
    return {FollowUpStep::ReadAgain, ReadJobOf(state.modelKind)};
}

}  // namespace

FollowUp NextAfterJob(std::int32_t job, std::int32_t result, const DeviceState& state, std::uint16_t panIdWritten) {
    switch (job) {
        case JobIdentify:
            if (result != JobSucceeded) return {FollowUpStep::Disconnect, 0};
            return {FollowUpStep::Read, ReadJobOf(state.modelKind)};
        case JobReadQ470R:
        case JobReadKs:
            return result == JobSucceeded ? FollowUp{} : FollowUp{FollowUpStep::Disconnect, 0};
        case JobApplyGeneralQ470R:
            return AfterGeneralQ470R(result, state, panIdWritten);
        case JobApplyFileQ470R:
        case JobApplyFileKs:
            return AfterFile(result, state);
        case JobRestart:
        case JobFactoryReset:
            return {FollowUpStep::Reconnect, 0};
        default:
            return {};
    }
}

}  // namespace q470
