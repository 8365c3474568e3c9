// A device session's job watch, against a simulated modem that keeps an identify waiting: a job past
// its budget is given up on, and the watch can close the link under a job as the window does when the
// device hangs up, at once when nudged from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device_session.h"
#include "job_timeouts.h"
#include "simulated_modem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using q470::sim::CommandFault;
using q470::sim::SimulatedModem;

// Well before the silent command's own time-out: a step that ends by then ended because of the watch.
constexpr auto kLongBeforeTimeOut = std::chrono::milliseconds(q470::kJobTimeoutMs / 2);

struct SilentModem {
    SilentModem() {
        EXPECT_TRUE(modem.Start());
        modem.SetFault("AT+MODELNAME?", CommandFault::Silent());
    }
    SimulatedModem modem{q470::sim::ModemSettings{}};
};

TEST(DeviceSession, AJobPastItsBudgetIsGivenUpOn) {
    SilentModem device;
    q470::DeviceSession session(q470::ConnectionLine{9600, 8, 0, 0});
    std::int32_t budgeted = 0;
    session.SetJobWatch({[&](std::int32_t job) {
                             budgeted = job;
                             return 150ms;
                         },
                         {},
                         1000ms});
    ASSERT_FALSE(session.Open(device.modem.PortPath()));
    const auto start = Clock::now();
    const q470::StepResult result = session.Identify();
    EXPECT_LT(Clock::now() - start, kLongBeforeTimeOut);
    EXPECT_EQ(budgeted, q470::JobIdentify);
    EXPECT_TRUE(session.JobOverran());
    EXPECT_EQ(result.end, q470::StepEnd::HungUp);
    EXPECT_FALSE(result.jobResult);
}

TEST(DeviceSession, TheWatchClosesTheLinkUnderAJobOnceNudged) {
    SilentModem device;
    q470::DeviceSession session(q470::ConnectionLine{9600, 8, 0, 0});
    std::atomic<bool> hungUp{false};
    std::atomic<int> ticks{0};
    // The period alone would never bring the tick in time: only the nudge does.
    session.SetJobWatch({{},
                         [&] {
                             ++ticks;
                             if (hungUp) session.Close();
                         },
                         60s});
    ASSERT_FALSE(session.Open(device.modem.PortPath()));
    std::thread nudger([&] {
        std::this_thread::sleep_for(100ms);
        hungUp = true;
        session.NudgeJobWatch();
    });
    const auto start = Clock::now();
    const q470::StepResult result = session.Identify();
    const auto took = Clock::now() - start;
    nudger.join();
    EXPECT_LT(took, kLongBeforeTimeOut);
    EXPECT_GE(ticks.load(), 2);
    EXPECT_FALSE(session.JobOverran());
    EXPECT_FALSE(session.LinkOpen());
    EXPECT_EQ(result.end, q470::StepEnd::HungUp);
}

}  // namespace
