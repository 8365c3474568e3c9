// Interrupting q470ctl while a job waits for a slow device, whichever job it is in. The executable
// ends within a second with status 130 (in a sanitizer build a leak at exit would change the status,
// so the status also stands for "nothing leaked"); in-process, the run returns within a second with
// every descriptor it opened closed and every thread it started ended.

#include <gtest/gtest.h>
#include <signal.h>

#include <sys/stat.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "process_census.h"
#include "q470comm.h"
#include "simulated_modem.h"

namespace {

using Clock = std::chrono::steady_clock;
using q470::test::ChildProcess;
using q470::test::OpenDescriptors;
using q470::test::ProcessThreads;
using namespace std::chrono_literals;

constexpr auto kStopLimit = 1s;
// A stop during a write on a quiet device first lets the command under way end and waits a moment on
// the write that puts quiet mode back (well under a second), however busy a sanitizer build keeps the
// machine.
constexpr auto kRestoreLimit = 3s;
constexpr auto kHangGuard = 20s;

struct Stage {
    const char* job;
    std::vector<std::string> command;
    const char* stuckAt;  // the device never answers this
};

const Stage kStages[] = {
    {"identify", {"read"}, "AT+QM?"},
    {"read", {"read", "--json"}, "AT+GPIOC?"},
    {"apply", {"set", "panid=4321", "channel=101"}, "AT+PANID="},
    {"apply GPIO", {"gpio", "5=output:high"}, "AT+GPIOC="},
};

// A device on a real line's pace (so the tool also meets it mid-answer) that never answers `stuckAt`.
void MakeSlow(q470::sim::SimulatedModem& modem, const char* stuckAt) {
    modem.SetPacing(true, 9600);
    modem.SetFault(stuckAt, q470::sim::CommandFault::Silent());
}

bool StuckAt(const q470::sim::SimulatedModem& modem, const std::string& keyword) {
    const auto commands = modem.Commands();
    return !commands.empty() && commands.back().rfind(keyword, 0) == 0;
}

// A quiet device (it sends no OK) that identifies at once: its bare AT is refused, as noise ahead of the
// command would make it, and the identify job takes that for a reason to try once more rather than wait
// out the silence.
void MakeQuietAndQuick(q470::sim::SimulatedModem& modem) {
    modem.UpdateSettings([](q470::sim::ModemSettings& settings) { settings.quietMode = true; });
    modem.SetFault("AT", q470::sim::CommandFault::Refused());
    modem.SetFault("AT+", {});
}

bool WaitUntilStuck(const q470::sim::SimulatedModem& modem, const std::string& keyword) {
    const auto guard = Clock::now() + kHangGuard;
    while (!StuckAt(modem, keyword) && Clock::now() < guard) std::this_thread::sleep_for(5ms);
    return StuckAt(modem, keyword);
}

TEST(Q470ctlInterrupt, SigintDuringEachJobEndsTheProcessWithin1sAndStatus130) {
    for (const auto& stage : kStages) {
        SCOPED_TRACE(stage.job);
        q470::sim::SimulatedModem modem({});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;
        MakeSlow(modem, stage.stuckAt);
        std::vector<std::string> args{"-p", modem.PortPath()};
        args.insert(args.end(), stage.command.begin(), stage.command.end());
        // Its standard output is not read: a full pipe must not hold the tool up.
        ChildProcess tool(Q470CTL_EXECUTABLE, args, ChildProcess::StandardOutput::Discarded);
        ASSERT_TRUE(tool.Started());
        ASSERT_TRUE(WaitUntilStuck(modem, stage.stuckAt)) << "the tool never got to " << stage.stuckAt;

        const auto signalled = Clock::now();
        tool.Signal(SIGINT);
        const int status = tool.Wait(kHangGuard);
        EXPECT_LT(Clock::now() - signalled, kStopLimit);
        const std::string errors = tool.Errors();
        EXPECT_EQ(status, 130) << errors;
        EXPECT_NE(errors.find("interrupted"), std::string::npos) << errors;
    }
}

// The device hangs up mid-command and the user presses Ctrl-C at once: whichever the tool notices
// first, it ends within a second.
TEST(Q470ctlInterrupt, SigintAfterAHangUpEndsTheProcessWithin1s) {
    q470::sim::SimulatedModem modem({});
    std::string error;
    ASSERT_TRUE(modem.Start(&error)) << error;
    q470::sim::CommandFault hangUp;
    hangUp.hangUp = true;
    modem.SetFault("AT+GPIOC?", hangUp);
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", modem.PortPath(), "read"}, ChildProcess::StandardOutput::Discarded);
    ASSERT_TRUE(tool.Started());
    const auto guard = Clock::now() + kHangGuard;
    while (!modem.HungUpAt() && Clock::now() < guard) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(modem.HungUpAt());
    const auto signalled = Clock::now();
    tool.Signal(SIGINT);
    const int status = tool.Wait(kHangGuard);
    EXPECT_LT(Clock::now() - signalled, kStopLimit);
    EXPECT_TRUE(status == 1 || status == 130) << status << ": " << tool.Errors();
}

// An interrupted file apply says what the device acknowledged before the stop and which step was cut
// short, on standard error and in --json.
TEST(Q470ctlInterrupt, AnInterruptedApplyTellsWhatWasWritten) {
    q470::test::TemporaryFolder folder;
    const std::string file = folder.File("config.json");
    q470::test::WriteFile(file, R"({"General": {"Operation Mode": 3, "PAN ID": 4321, "Network Role": 2}})");
    const std::string acknowledged = "Acknowledged by the device: AT+OPMODE=3, AT+PANID=4321";
    {
        q470::sim::SimulatedModem modem({});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;
        MakeSlow(modem, "AT+NETROLE=");
        ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", modem.PortPath(), "apply", file},
                          ChildProcess::StandardOutput::Discarded);
        ASSERT_TRUE(WaitUntilStuck(modem, "AT+NETROLE="));
        tool.Signal(SIGINT);
        EXPECT_EQ(tool.Wait(kHangGuard), 130);
        const std::string errors = tool.Errors();
        EXPECT_NE(errors.find(acknowledged + "\n"), std::string::npos) << errors;
        EXPECT_NE(errors.find("Interrupted at: AT+NETROLE=2\n"), std::string::npos) << errors;
    }
    q470::test::CliRig rig;
    MakeSlow(rig.modem, "AT+NETROLE=");
    q470::StopRequest stop;
    q470::CliEnvironment environment;
    environment.stop = &stop;
    auto running = std::async(std::launch::async, [&] {
        return q470::test::RunTool({"-p", rig.Port(), "apply", file, "--json"}, environment);
    });
    ASSERT_TRUE(WaitUntilStuck(rig.modem, "AT+NETROLE="));
    stop.Request(SIGINT);
    ASSERT_EQ(running.wait_for(kHangGuard), std::future_status::ready);
    const q470::test::CliRun run = running.get();
    EXPECT_EQ(run.status, 130);
    const auto document = q470::test::ParseJson(run.out);
    EXPECT_STREQ(document["outcome"].GetString(), "interrupted");
    const auto& json = q470::test::PortRecord(document);
    EXPECT_STREQ(json["outcome"].GetString(), "interrupted");
    ASSERT_EQ(json["acknowledged"].Size(), 2u);
    EXPECT_STREQ(json["acknowledged"][1].GetString(), "AT+PANID=4321");
    EXPECT_STREQ(json["interruptedStep"].GetString(), "AT+NETROLE=2");
    EXPECT_TRUE(json["failedStep"].IsNull());
}

TEST(Q470ctlInterrupt, AStopInProcessLeavesNoDescriptorAndNoThread) {
    {
        // The I/O service's event loop keeps the descriptors it makes on first use for the process's
        // life; they are not the run's.
        q470::test::CliRig rig;
        ASSERT_EQ(rig.Run({"read"}).status, 0);
    }
    for (const auto& stage : kStages) {
        SCOPED_TRACE(stage.job);
        q470::test::CliRig rig;
        MakeSlow(rig.modem, stage.stuckAt);
        const std::size_t descriptors = OpenDescriptors();
        const std::size_t threads = ProcessThreads();
        q470::StopRequest stop;
        q470::CliEnvironment environment;
        environment.stop = &stop;
        std::vector<std::string> args{"-p", rig.Port()};
        args.insert(args.end(), stage.command.begin(), stage.command.end());
        auto running = std::async(std::launch::async, [&] { return q470::test::RunTool(args, environment); });
        ASSERT_TRUE(WaitUntilStuck(rig.modem, stage.stuckAt)) << "the run never got to " << stage.stuckAt;

        const auto stopAt = Clock::now();
        stop.Request(SIGINT);
        ASSERT_EQ(running.wait_for(kHangGuard), std::future_status::ready);
        EXPECT_LT(Clock::now() - stopAt, kStopLimit);
        EXPECT_EQ(running.get().status, 130);
        EXPECT_EQ(q470::g_openLinks, 0);
        EXPECT_EQ(ProcessThreads(), threads);
        EXPECT_EQ(OpenDescriptors(), descriptors);
    }
}

// Whatever ends the run while a write is under way (a signal, or the output's reader going away), the
// command under way ends, no further setting is sent, and a device that was quiet is quiet again before
// the tool ends with the interrupted status and its report. The cases run side by side.
TEST(Q470ctlInterrupt, EveryStopDuringAWriteEndsTheCommandAndLeavesAQuietDeviceQuiet) {
    struct Stop {
        const char* what;
        int signal;  // 0: the reader of the tool's standard output goes away
        int status;
    };
    const Stop stops[] = {
        {"SIGINT", SIGINT, 130},
        {"SIGTERM", SIGTERM, 143},
        {"SIGHUP", SIGHUP, 129},
        {"closed output", 0, 128 + SIGPIPE},
    };
    struct Run {
        const Stop& stop;
        std::unique_ptr<q470::sim::SimulatedModem> modem;
        std::unique_ptr<ChildProcess> tool;
        Clock::time_point stoppedAt{};
    };
    std::vector<Run> runs;
    for (const auto& stop : stops) {
        auto modem = std::make_unique<q470::sim::SimulatedModem>(q470::sim::ModemSettings{});
        ASSERT_TRUE(modem->Start());
        MakeQuietAndQuick(*modem);
        q470::sim::CommandFault slow;
        slow.delay = 300ms;  // long enough for the stop to find the write under way
        modem->SetFault("AT+PANID=", slow);
        auto tool = std::make_unique<ChildProcess>(
            Q470CTL_EXECUTABLE, std::vector<std::string>{"-p", modem->PortPath(), "set", "panid=4321", "channel=101"},
            stop.signal == 0 ? ChildProcess::StandardOutput::Piped : ChildProcess::StandardOutput::Discarded);
        ASSERT_TRUE(tool->Started());
        runs.push_back({stop, std::move(modem), std::move(tool)});
    }
    // Each run is stopped as soon as its own write is under way.
    const auto guard = Clock::now() + kHangGuard;
    for (std::size_t stopped = 0; stopped < runs.size() && Clock::now() < guard;) {
        for (auto& run : runs) {
            if (run.stoppedAt != Clock::time_point{} || !StuckAt(*run.modem, "AT+PANID=")) continue;
            run.stoppedAt = Clock::now();
            if (run.stop.signal != 0) {
                run.tool->Signal(run.stop.signal);
            } else {
                run.tool->CloseOutput();
            }
            ++stopped;
        }
        std::this_thread::sleep_for(1ms);
    }
    for (const auto& run : runs) ASSERT_NE(run.stoppedAt, Clock::time_point{}) << run.stop.what << " never wrote";
    // Each run's end as it comes, not after the runs waited for before it.
    std::vector<std::future<std::pair<int, Clock::time_point>>> ends;
    for (auto& run : runs) {
        ends.push_back(std::async(std::launch::async, [&run] {
            const int status = run.tool->Wait(kHangGuard);
            return std::make_pair(status, Clock::now());
        }));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        auto& run = runs[i];
        SCOPED_TRACE(run.stop.what);
        const auto [status, endedAt] = ends[i].get();
        const std::string errors = run.tool->Errors();
        EXPECT_EQ(status, run.stop.status) << errors;
        EXPECT_LT(endedAt - run.stoppedAt, kRestoreLimit);
        EXPECT_NE(errors.find("interrupted\n"), std::string::npos) << errors;
        EXPECT_NE(errors.find("AT+PANID=4321, AT+QM=1\n"), std::string::npos) << errors;
        EXPECT_NE(errors.find("Interrupted at: AT+PHYID="), std::string::npos) << errors;
        // The device's own thread may take in the tool's last bytes a moment after the tool has gone.
        EXPECT_TRUE(WaitUntilStuck(*run.modem, "AT+QM=1"));
        const auto commands = run.modem->Commands();
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[commands.size() - 2], "AT+PANID=4321\r");
        EXPECT_EQ(commands.back(), "AT+QM=1\r");
        EXPECT_TRUE(run.modem->Settings().quietMode);
    }
}

// A stopped file apply on a quiet device puts the device's own quiet mode back, not the file's: the
// file's quiet mode is named among what was never sent.
TEST(Q470ctlInterrupt, AStoppedApplyNamesTheFilesQuietModeAsNotReached) {
    q470::test::TemporaryFolder folder;
    const std::string file = folder.File("config.json");
    q470::test::WriteFile(file, R"({"General": {"Operation Mode": 3, "PAN ID": 4321, "Quiet Mode": false}})");
    q470::test::CliRig rig;
    MakeQuietAndQuick(rig.modem);
    q470::sim::CommandFault slow;
    slow.delay = 200ms;
    rig.modem.SetFault("AT+OPMODE=", slow);
    q470::StopRequest stop;
    q470::CliEnvironment environment;
    environment.stop = &stop;
    auto running = std::async(std::launch::async, [&] {
        return q470::test::RunTool({"-p", rig.Port(), "apply", file, "--json"}, environment);
    });
    ASSERT_TRUE(WaitUntilStuck(rig.modem, "AT+OPMODE="));
    stop.Request(SIGINT);
    ASSERT_EQ(running.wait_for(kHangGuard), std::future_status::ready);
    const q470::test::CliRun run = running.get();
    EXPECT_EQ(run.status, 130);
    EXPECT_TRUE(rig.modem.Settings().quietMode);
    const auto document = q470::test::ParseJson(run.out);
    std::vector<std::string> notReached;
    for (const auto& item : q470::test::PortRecord(document)["notSent"].GetArray()) {
        if (std::string(item["reason"].GetString()) == "notReached") notReached.push_back(item["member"].GetString());
    }
    EXPECT_EQ(notReached, (std::vector<std::string>{"General/PAN ID", "General/Quiet Mode"})) << run.out;
}

// The first interrupt waits for the command under way, which a silent device makes last its whole
// time-out; the second one does not wait.
TEST(Q470ctlInterrupt, ASecondInterruptEndsTheRunAtOnce) {
    q470::sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    MakeQuietAndQuick(modem);
    modem.SetFault("AT+PANID=", q470::sim::CommandFault::Silent());
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", modem.PortPath(), "set", "panid=4321"},
                      ChildProcess::StandardOutput::Discarded);
    ASSERT_TRUE(WaitUntilStuck(modem, "AT+PANID="));
    tool.Signal(SIGINT);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(tool.Wait(0ms), -1) << "the first interrupt waits for the command under way";
    const auto again = Clock::now();
    tool.Signal(SIGINT);
    EXPECT_EQ(tool.Wait(kHangGuard), 130);
    EXPECT_LT(Clock::now() - again, kStopLimit);  // the silent command alone would take 2 s
    const std::string errors = tool.Errors();
    EXPECT_NE(errors.find("interrupt again to stop at once"), std::string::npos) << errors;
    EXPECT_NE(errors.find("interrupted\n"), std::string::npos) << errors;
}

// A named pipe that nobody reads, as the saved file or the trace: the tool waits for a reader, and a
// signal ends the wait at once.
TEST(Q470ctlInterrupt, ASignalEndsTheWaitForAReaderOfANamedPipe) {
    struct Case {
        const char* what;
        std::vector<std::string> args;  // after -p PORT; "PIPE" stands for the named pipe
        const char* lastCommand;        // sent before the tool opens the pipe; nullptr: before any
        int signal;
    };
    const Case cases[] = {
        {"save", {"save", "PIPE"}, "AT+URPU?", SIGINT},
        {"--trace-file", {"--trace-file", "PIPE", "read"}, nullptr, SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        q470::test::TemporaryFolder folder;
        const std::string pipe = folder.File("pipe");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        q470::sim::SimulatedModem modem({});
        ASSERT_TRUE(modem.Start());
        std::vector<std::string> args{"-p", modem.PortPath()};
        for (const auto& arg : c.args) args.push_back(arg == "PIPE" ? pipe : arg);
        ChildProcess tool(Q470CTL_EXECUTABLE, args, ChildProcess::StandardOutput::Discarded);
        if (c.lastCommand) {
            ASSERT_TRUE(WaitUntilStuck(modem, c.lastCommand));
        }
        std::this_thread::sleep_for(100ms);  // on to the pipe's opening, where it waits
        const auto signalled = Clock::now();
        tool.Signal(c.signal);
        EXPECT_EQ(tool.Wait(kHangGuard), 128 + c.signal) << tool.Errors();
        EXPECT_LT(Clock::now() - signalled, kStopLimit);
    }
}

}  // namespace
