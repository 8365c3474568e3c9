// Stopping a run (SIGINT, SIGTERM) while a job waits for the device.

#include <gtest/gtest.h>

#include <signal.h>

#include <future>
#include <memory>

#include "cli_rig.h"
#include "process_census.h"
#include "q470comm.h"
#include "stop_request.h"

namespace q470::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStopLimit = 1s;
constexpr auto kHangGuard = 10s;

TEST(CliStop, AStopRequestClosesThePortsAndEndsWithinASecond) {
    struct Case {
        int signal;
        int status;
        std::vector<std::string> command;
        const char* stuckAt;  // the device never answers this; the job waits for it
        std::size_t ports;
    };
    const Case cases[] = {
        {SIGINT, 130, {"read"}, "AT+QM?", 2},
        {SIGTERM, 143, {"gpio", "1=output"}, "AT+GPIOC=", 1},
    };
    for (const auto& c : cases) {
        std::vector<std::unique_ptr<CliRig>> rigs;
        std::vector<std::string> args = c.command;
        for (std::size_t i = 0; i < c.ports; ++i) {
            rigs.push_back(std::make_unique<CliRig>());
            rigs.back()->modem.SetFault(c.stuckAt, sim::CommandFault::Silent());
            args.insert(args.end(), {"-p", rigs.back()->Port()});
        }
        const std::size_t threadsBefore = ProcessThreads();
        StopRequest stop;
        CliEnvironment environment;
        environment.stop = &stop;
        auto running = std::async(std::launch::async, [&] { return RunTool(args, environment); });

        for (const auto& rig : rigs) {
            ASSERT_TRUE(rig->modem.WaitForCommands(1, kHangGuard));
            for (bool stuck = false; !stuck;) {
                const auto commands = rig->modem.Commands();
                stuck = commands.back().rfind(c.stuckAt, 0) == 0;
                if (!stuck) {
                    ASSERT_TRUE(rig->modem.WaitForCommands(commands.size() + 1, kHangGuard));
                }
            }
        }
        const auto stopAt = Clock::now();
        stop.Request(c.signal);
        ASSERT_EQ(running.wait_for(kHangGuard), std::future_status::ready);
        const auto stoppedAfter = Clock::now() - stopAt;
        const CliRun run = running.get();
        EXPECT_LT(stoppedAfter, kStopLimit) << c.signal;
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(g_openLinks, 0) << "a port was left open";
        EXPECT_EQ(ProcessThreads(), threadsBefore) << "a thread was left running";
        for (const auto& rig : rigs) {
            EXPECT_TRUE(run.err.find(rig->Port() + ": interrupted") != std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace q470::test
