#include "job_worker.h"

#include <gtest/gtest.h>

#include "job_code.h"
#include "job_rig.h"

namespace q470::test {
namespace {

using Clock = std::chrono::steady_clock;
using Results = std::vector<PostedResult>;

TEST(JobWorker, RunsQueuedJobsInOrder) {
    JobRig rig;
    rig.input.gpio = NumberedPins();
    rig.worker.PushJob(JobReadQ470R, rig.input);
    rig.worker.PushJob(JobApplyGpio, rig.input);
    rig.worker.PushJob(JobRestart, rig.input);
    ASSERT_TRUE(rig.host.WaitForResults(3));
    EXPECT_EQ(rig.host.Results(), (Results{{JobReadQ470R, 0}, {JobApplyGpio, 0}, {JobRestart, 0}}));

    const auto commands = rig.TakeCommands();
    ASSERT_EQ(commands.size(), 6u + 14u + 1u);
    EXPECT_EQ(commands.front(), "AT+INFO?\r");
    EXPECT_EQ(commands[5], "AT+URPU?\r");
    EXPECT_EQ(commands[6], "AT+GPIOC=0001,0,0\r");
    EXPECT_EQ(commands[19], "AT+GPIOP=0,0\r");
    EXPECT_EQ(commands.back(), "ATZ\r");
    // The worker sets the busy flag when it takes a job; clearing it is the owner's part.
    EXPECT_TRUE(rig.worker.IsBusy());
}

// Each job sends the input it was queued with: the owner's own records may change (or be queued
// again with other values) while it waits and runs.
TEST(JobWorker, EachJobSendsTheInputItWasQueuedWith) {
    JobRig rig;
    JobInput input = rig.input;
    input.gpio = NumberedPins();
    input.gpio.reportInterval = 1000;
    rig.worker.PushJob(JobApplyGpio, input);
    input.gpio.reportInterval = 3000;
    rig.worker.PushJob(JobApplyGpio, input);
    input.gpio.reportInterval = 5000;  // queued with nothing
    ASSERT_TRUE(rig.host.WaitForResults(2));
    EXPECT_EQ(rig.host.Results(), (Results{{JobApplyGpio, 0}, {JobApplyGpio, 0}}));

    std::vector<std::string> periodic;
    for (const auto& command : rig.TakeCommands()) {
        if (command.rfind("AT+GPIOP=", 0) == 0) periodic.push_back(command);
    }
    EXPECT_EQ(periodic, (std::vector<std::string>{"AT+GPIOP=1000,0\r", "AT+GPIOP=3000,0\r"}));
}

// What a disconnect does: close the link, so the running job fails fast, then stop the worker.
TEST(JobWorker, StopDiscardsTheWaitingJobs) {
    JobRig rig;
    rig.SetFault("ATZ", sim::CommandFault::Silent());
    rig.worker.PushJobs({JobRestart, JobReadQ470R, JobReadKs, JobApplyGpio}, rig.input);
    ASSERT_TRUE(rig.modem.WaitForCommands(1, kHangGuard));

    const auto start = Clock::now();
    rig.host.link.Close();
    rig.worker.StopWorker();
    // Well inside the 2000 ms that ATZ would otherwise wait.
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_FALSE(rig.worker.IsRunning());
    EXPECT_EQ(rig.host.Results(), (Results{{JobRestart, JobSucceeded}}));
    EXPECT_EQ(rig.TakeCommands(), (std::vector<std::string>{"ATZ\r"}));
}

TEST(JobWorker, DropsCodesThatAreNotJobs) {
    JobRig rig;
    for (const std::int32_t code : {2, 9, 99}) {
        const std::size_t dropped = rig.host.Dropped().size();
        rig.worker.ExchangeBusy(true);  // as the owner does when it queues
        rig.worker.PushJob(code, rig.input);
        ASSERT_TRUE(rig.host.WaitForDropped(dropped + 1)) << code;
        EXPECT_FALSE(rig.worker.IsBusy()) << code;
    }
    EXPECT_EQ(rig.host.Dropped(), (std::vector<std::int32_t>{2, 9, 99}));
    EXPECT_EQ(rig.Run(JobRestart), JobSucceeded);  // the worker goes on
    EXPECT_EQ(rig.TakeCommands(), (std::vector<std::string>{"ATZ\r"}));

    // Once the owner has closed the link, a job's turn brings no result either.
    rig.host.link.Close();
    rig.worker.PushJob(JobReadQ470R, rig.input);
    ASSERT_TRUE(rig.host.WaitForDropped(4));
    EXPECT_EQ(rig.host.Dropped().back(), JobReadQ470R);
    EXPECT_FALSE(rig.worker.IsBusy());
    EXPECT_EQ(rig.host.Results(), (Results{{JobRestart, JobSucceeded}}));
}

TEST(JobWorker, StartsWithAnEmptyQueue) {
    sim::SimulatedModem modem{sim::ModemSettings{}};
    ASSERT_TRUE(modem.Start());
    TestHost host;
    ASSERT_FALSE(host.link.Open(modem.PortPath(), kLinkBaudRate, 8, 0, 0));
    JobWorker worker(host);

    worker.StopWorker();  // no worker yet: nothing to do, nothing to wait for
    EXPECT_FALSE(worker.IsRunning());

    worker.PushJob(JobStop);  // left over: must not end the worker about to start
    worker.StartWorker();
    worker.StartWorker();  // a second start replaces the first worker instead of ending the process
    EXPECT_TRUE(worker.IsRunning());
    worker.PushJob(JobRestart);
    ASSERT_TRUE(host.WaitForResults(1));
    EXPECT_EQ(host.Results(), (Results{{JobRestart, JobSucceeded}}));

    host.link.Close();
    worker.StopWorker();
    EXPECT_FALSE(worker.IsRunning());
}

}  // namespace
}  // namespace q470::test
