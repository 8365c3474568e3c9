// The window's job sequences against a device whose queries answer their data line at once and their
// final OK only later: however late that OK comes within the query's time-out, it must never be taken
// for the answer to the set command that the next job sends first. Here the device refuses that set
// command, so a stale OK would make a refused setting look applied.

#include <gtest/gtest.h>

#include <string>

#include "job_code.h"
#include "job_rig.h"
#include "setting_item.h"

namespace q470::test {
namespace {

struct Delay {
    std::chrono::milliseconds trailer;
    bool everyQuery;  // otherwise only the query right before the set command
};

// Up to just under the 2,000 ms time-out of the read's last query.
const Delay kDelays[] = {{3ms, true}, {40ms, true}, {250ms, true}, {1900ms, false}};

void LateOkAndRefused(sim::SimulatedModem& modem, const Delay& delay, const std::string& refused) {
    modem.SetFaultPolicy([delay, refused](const std::string& command) {
        sim::CommandFault fault;
        if (command.rfind(refused, 0) == 0) fault.answerError = true;
        const bool query = !command.empty() && command.back() == '?';
        if (query && (delay.everyQuery || command == "AT+URPU?")) fault.trailerDelay = delay.trailer;
        return fault;
    });
}

// The device identified and read as the window does it after connecting.
void Connect(JobRig& rig) {
    ASSERT_EQ(rig.Run(JobIdentify), JobSucceeded);
    ASSERT_EQ(rig.Run(JobReadQ470R), JobSucceeded);
}

SettingItemList AFile() {
    SettingItemList items;
    items.push_back(OpModeItem(3));
    items.push_back(PanIdItem(4321));
    return items;
}

TEST(OwedAnswers, ARefusedSetAfterAReadFailsWithItsResultCode) {
    std::vector<std::function<void()>> cases;
    for (const Delay& delay : kDelays) {
        cases.push_back([delay] {
            SCOPED_TRACE(delay.trailer.count());
            {
                JobRig rig;
                LateOkAndRefused(rig.modem, delay, "AT+OPMODE=");
                Connect(rig);
                rig.input.general.opMode = 3;
                rig.input.general.panId = 1234;
                EXPECT_EQ(rig.Run(JobApplyGeneralQ470R), JobFailed);
                rig.input.fileItems = AFile();
                EXPECT_EQ(rig.Run(JobApplyFileQ470R), FileOpModeFailed);
                // After the failed file, the window reads the device again.
                EXPECT_EQ(rig.Run(JobReadQ470R), JobSucceeded);
            }
            {
                JobRig rig;
                LateOkAndRefused(rig.modem, delay, "AT+GPIOC=");
                Connect(rig);
                rig.input.gpio = NumberedPins();
                EXPECT_EQ(rig.Run(JobApplyGpio), JobFailed);
                EXPECT_EQ(rig.TakeCommands().back(), "AT+GPIOC=0001,0,0\r");
            }
        });
    }
    RunConcurrently(cases);
}

}  // namespace
}  // namespace q470::test
