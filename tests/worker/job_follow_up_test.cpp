#include "job_follow_up.h"

#include <gtest/gtest.h>

#include "connected_device.h"
#include "job_code.h"
#include "model_kind.h"

namespace q470::test {
namespace {

constexpr std::uint16_t kOtherPanId = 4321;

// Every job the window and the tool chain something after, with its success and a failure, on the
// models and firmware that change the answer.
TEST(NextAfterJob, FollowsEachJobResultAsTheWindowAndTheToolBothDo) {
    const DeviceState oldQ470R = ConnectedDevice(ModelQ470R, u"1.4.0");
    const DeviceState newQ470R = ConnectedDevice(ModelQ470R, u"1.5.0");
    const DeviceState ks410 = ConnectedDevice(ModelKs410, u"1.4.0");
    struct Case {
        const char* what;
        std::int32_t job;
        std::int32_t result;
        const DeviceState& state;
        std::uint16_t panIdWritten;
        FollowUp expected;
    };
    const Case cases[] = {
        {"identify Q470R", JobIdentify, JobSucceeded, oldQ470R, 0, {FollowUpStep::Read, JobReadQ470R}},
        {"identify KELDAN", JobIdentify, JobSucceeded, ks410, 0, {FollowUpStep::Read, JobReadKs}},
        {"identify no answer", JobIdentify, JobFailed, oldQ470R, 0, {FollowUpStep::Disconnect, 0}},
        {"identify unknown model", JobIdentify, IdentifyUnknownModel, oldQ470R, 0, {FollowUpStep::Disconnect, 0}},
        {"read Q470R", JobReadQ470R, JobSucceeded, oldQ470R, 0, {}},
        {"read KELDAN failed", JobReadKs, JobFailed, ks410, 0, {FollowUpStep::Disconnect, 0}},
        {"general, PAN ID kept", JobApplyGeneralQ470R, JobSucceeded, oldQ470R, kPanIdRead, {}},
        {"general, PAN ID changed on 1.4.0",
         JobApplyGeneralQ470R,
         JobSucceeded,
         oldQ470R,
         kOtherPanId,
         {FollowUpStep::ClearAssociations, JobRestart}},
        {"general, PAN ID changed on 1.5.0", JobApplyGeneralQ470R, JobSucceeded, newQ470R, kOtherPanId, {}},
        {"general failed, PAN ID changed", JobApplyGeneralQ470R, JobFailed, oldQ470R, kOtherPanId, {}},
        {"general KELDAN, PAN ID changed", JobApplyGeneralKs, JobSucceeded, ks410, kOtherPanId, {}},
        {"GPIO", JobApplyGpio, JobSucceeded, oldQ470R, 0, {}},
        {"file Q470R", JobApplyFileQ470R, JobSucceeded, oldQ470R, 0, {FollowUpStep::Restart, JobRestart}},
        {"file KELDAN failed at PAN ID",
         JobApplyFileKs,
         FileUserPanIdFailed,
         ks410,
         0,
         {FollowUpStep::ReadAgain, JobReadKs}},
        {"file Q470R bracket failed",
         JobApplyFileQ470R,
         JobFailed,
         oldQ470R,
         0,
         {FollowUpStep::ReadAgain, JobReadQ470R}},
        {"restart", JobRestart, JobSucceeded, oldQ470R, 0, {FollowUpStep::Reconnect, 0}},
        {"factory reset without answer", JobFactoryReset, JobFailed, ks410, 0, {FollowUpStep::Reconnect, 0}},
        {"not a job", 99, JobSucceeded, oldQ470R, 0, {}},
    };
    for (const auto& c : cases) {
        const FollowUp next = NextAfterJob(c.job, c.result, c.state, c.panIdWritten);
        EXPECT_EQ(next.step, c.expected.step) << c.what;
        EXPECT_EQ(next.job, c.expected.job) << c.what;
    }
}

}  // namespace
}  // namespace q470::test
