// q470ctl as a process reports only what the device itself acknowledged: a query's final line that
// never comes stops the run before the next write, a hang-up is never a success, an association clear
// or a restart the device refused is not reported done, and --verify reads back only a device it saw
// restart. A refused restart-type command is waited for to its time-out (ERROR does not end it), so
// the runs go side by side.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "report_schema.h"

namespace q470::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kHangGuard = 30s;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool SentAny(const std::vector<std::string>& commands, const std::string& keyword) {
    return std::any_of(commands.begin(), commands.end(),
                       [&](const std::string& c) { return c.rfind(keyword, 0) == 0; });
}

// The commands after the last ATZ; none before one.
std::vector<std::string> AfterRestart(const std::vector<std::string>& commands) {
    const auto restart = std::find(commands.rbegin(), commands.rend(), "ATZ\r");
    if (restart == commands.rend()) return {};
    return {restart.base(), commands.end()};
}

struct Case {
    const char* name;
    sim::ModemSettings settings;
    std::vector<std::string> args;
    std::function<void(sim::SimulatedModem&)> misbehave;
    int status;
    const char* outcome;
    // Checks on the port's record, the message and what the device received.
    std::function<void(const rapidjson::Value&, const std::string&, const std::vector<std::string>&)> check;
};

sim::CommandFault LateFinalLine() {
    sim::CommandFault fault;
    fault.trailerDelay = 2500ms;  // the query's time-out is 2,000 ms
    return fault;
}

sim::CommandFault HangUp() {
    sim::CommandFault fault;
    fault.hangUp = true;
    return fault;
}

TEST(Q470ctlAcknowledgements, OnlyWhatTheDeviceAcknowledgedIsReported) {
    const sim::ModemSettings oldFirmware = Q470RFirmware("1.4.0");  // a PAN ID change clears associations
    const Case cases[] = {
        {"a query's final line later than its time-out",
         {},
         {"set", "mode=multi"},
         [](sim::SimulatedModem& m) { m.SetFault("AT+URPU?", LateFinalLine()); },
         1,
         "no-answer",
         [](const rapidjson::Value& port, const std::string& message, const std::vector<std::string>& commands) {
             EXPECT_TRUE(Contains(message, "never finished its answer to AT+URPU?")) << message;
             EXPECT_TRUE(Contains(message, "faulty")) << message;
             EXPECT_STREQ(port["failedStep"].GetString(), "AT+OPMODE=3");
             EXPECT_EQ(port["acknowledged"].Size(), 0u);
             EXPECT_FALSE(SentAny(commands, "AT+OPMODE=")) << "a write went out";
         }},
        {"a hang-up while the association clear waits",
         oldFirmware,
         {"set", "panid=777"},
         [](sim::SimulatedModem& m) { m.SetFault("AT+ASSOCCLR", HangUp()); },
         1,
         "disconnected",
         [](const rapidjson::Value& port, const std::string&, const std::vector<std::string>& commands) {
             EXPECT_FALSE(port["associationCleared"].GetBool());
             EXPECT_FALSE(port["restarted"].GetBool());
             EXPECT_STREQ(port["failedStep"].GetString(), "AT+ASSOCCLR");
             EXPECT_FALSE(SentAny(commands, "ATZ"));
         }},
        {"the association clear and the restart refused",
         oldFirmware,
         {"set", "panid=777"},
         [](sim::SimulatedModem& m) {
             m.SetFault("AT+ASSOCCLR", sim::CommandFault::Refused());
             m.SetFault("ATZ", sim::CommandFault::Refused());
         },
         1,
         "refused",
         [](const rapidjson::Value& port, const std::string& message, const std::vector<std::string>& commands) {
             EXPECT_FALSE(port["associationCleared"].GetBool());
             EXPECT_FALSE(port["restarted"].GetBool());
             EXPECT_STREQ(port["failedStep"].GetString(), "AT+ASSOCCLR");
             EXPECT_TRUE(Contains(message, "did not clear its association data")) << message;
             EXPECT_TRUE(Contains(message, "did not restart: it did not acknowledge ATZ (the device answered ERROR)"))
                 << message;
             EXPECT_TRUE(SentAny(commands, "ATZ")) << "the restart goes after any clear, as in the window";
         }},
        {"a restart refused",
         {},
         {"restart"},
         [](sim::SimulatedModem& m) { m.SetFault("ATZ", sim::CommandFault::Refused()); },
         1,
         "refused",
         [](const rapidjson::Value& port, const std::string&, const std::vector<std::string>&) {
             EXPECT_FALSE(port["restarted"].GetBool());
         }},
        {"--verify after a refused restart",
         {},
         {"set", "channel=101", "--verify"},
         [](sim::SimulatedModem& m) { m.SetFault("ATZ", sim::CommandFault::Refused()); },
         1,
         "not-restarted",
         [](const rapidjson::Value& port, const std::string& message, const std::vector<std::string>& commands) {
             EXPECT_STREQ(port["verify"]["outcome"].GetString(), "not-restarted");
             EXPECT_FALSE(port["restarted"].GetBool());
             EXPECT_TRUE(Contains(message, "the device did not restart: after ATZ (the device answered ERROR)"))
                 << message;
             for (const auto& c : AfterRestart(commands))
                 EXPECT_TRUE(c == "\r" || c == "AT+QM?\r") << "read back: " << c;
         }},
        {"--verify after an ignored restart",
         {},
         {"set", "channel=101", "--verify"},
         [](sim::SimulatedModem& m) { m.SetFault("ATZ", sim::CommandFault::Silent()); },
         1,
         "not-restarted",
         [](const rapidjson::Value& port, const std::string& message, const std::vector<std::string>& commands) {
             EXPECT_STREQ(port["verify"]["outcome"].GetString(), "not-restarted");
             EXPECT_TRUE(Contains(message, "after ATZ (no answer)")) << message;
             for (const auto& c : AfterRestart(commands))
                 EXPECT_TRUE(c == "\r" || c == "AT+QM?\r") << "read back: " << c;
         }},
    };
    struct Run {
        std::unique_ptr<sim::SimulatedModem> modem;
        std::unique_ptr<ChildProcess> tool;
    };
    std::vector<Run> runs;
    for (const auto& c : cases) {
        Run run{std::make_unique<sim::SimulatedModem>(c.settings), nullptr};
        ASSERT_TRUE(run.modem->Start()) << c.name;
        c.misbehave(*run.modem);
        std::vector<std::string> args{"-p", run.modem->PortPath(), "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        run.tool = std::make_unique<ChildProcess>(Q470CTL_EXECUTABLE, args);
        runs.push_back(std::move(run));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const std::string out = runs[i].tool->Output(kHangGuard);
        EXPECT_EQ(runs[i].tool->Wait(kHangGuard), c.status) << runs[i].tool->Errors();
        EXPECT_EQ(ReportShapeProblem(out), "");
        const auto document = ParseJson(out);
        const auto& port = PortRecord(document);
        EXPECT_STREQ(port["outcome"].GetString(), c.outcome);
        c.check(port, port["message"].GetString(), runs[i].modem->Commands());
    }
}

// Interrupted while it waits for the device to come back, the run still lists the restart the device
// acknowledged.
TEST(Q470ctlAcknowledgements, AnInterruptedVerifyListsTheAcknowledgedRestart) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    std::atomic<bool> restarted{false};
    modem.SetFaultPolicy([&](const std::string& command) {
        if (command == "ATZ") restarted = true;
        return restarted && command == "AT+QM?" ? sim::CommandFault::Silent() : sim::CommandFault{};
    });
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", modem.PortPath(), "--json", "set", "channel=101", "--verify"});
    const auto guard = Clock::now() + kHangGuard;
    while (!SentAny(AfterRestart(modem.Commands()), "AT+QM?") && Clock::now() < guard) std::this_thread::sleep_for(5ms);
    tool.Signal(SIGINT);
    const std::string out = tool.Output(kHangGuard);
    EXPECT_EQ(tool.Wait(kHangGuard), 130);
    const auto document = ParseJson(out);
    const auto& port = PortRecord(document);
    EXPECT_STREQ(port["outcome"].GetString(), "interrupted");
    EXPECT_TRUE(port["restarted"].GetBool());
    ASSERT_GT(port["acknowledged"].Size(), 0u);
    EXPECT_STREQ(port["acknowledged"][port["acknowledged"].Size() - 1].GetString(), "ATZ");
    EXPECT_TRUE(port["interruptedStep"].IsNull());
}

}  // namespace
}  // namespace q470::test
