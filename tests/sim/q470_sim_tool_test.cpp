// The q470-sim executable, run as a separate process.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "child_process.h"
#include "pty_client.h"

namespace q470::sim {
namespace {

using std::chrono::milliseconds;
using test::ChildProcess;
constexpr milliseconds kGenerous{10000};
constexpr const char* kQ470Sim = Q470_SIM_EXECUTABLE;

TEST(SimTool, HelpDocumentsEveryOption) {
    ChildProcess sim(kQ470Sim, {"--help"});
    ASSERT_TRUE(sim.Started());
    const std::string help = sim.Output(kGenerous);
    EXPECT_EQ(sim.Wait(kGenerous), 0);
    for (const char* option : {"--model", "--firmware", "--quiet", "--echo", "--pace", "--count", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(SimTool, BadOptionsGetOneLineAndStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--model"},
        {"--model", "Q470"},
        {"--model", "Q470R", "--bogus"},
        {"--model", "Q470R", "--pace", "fast"},
        {"--model", "Q470R", "--pace", "0"},
        {"--model", "Q470R", "--count", "65"},
        {"--model", "Q470R", "--count", "-1"},
        {"--model", "Q470R", "extra"},
    };
    for (const auto& args : cases) {
        ChildProcess sim(kQ470Sim, args);
        ASSERT_TRUE(sim.Started());
        const std::string errors = sim.Errors(kGenerous);
        EXPECT_EQ(sim.Wait(kGenerous), 2) << testing::PrintToString(args);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("q470-sim: ", 0), 0u) << errors;
        EXPECT_EQ(sim.Output(kGenerous), "");
    }
}

TEST(SimTool, ServesUntilSigterm) {
    ChildProcess sim(kQ470Sim, {"--model", "KELDAN-KS400", "--firmware", "2.1.0", "--count", "2", "--echo"});
    ASSERT_TRUE(sim.Started());
    const std::string paths = sim.OutputLines(2, kGenerous);
    const std::string first = paths.substr(0, paths.find('\n'));
    ASSERT_FALSE(first.empty()) << paths;
    EXPECT_NE(paths.substr(first.size() + 1), first + "\n");

    PtyClient client(first);
    ASSERT_TRUE(client.IsOpen()) << first;
    client.Write("AT+VER?\r");
    EXPECT_EQ(client.ReadUntil("\r\nOK\r\n", kGenerous), "AT+VER?\r\r\n+VER,2.1.0\r\n\r\nOK\r\n");

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(kGenerous), 0);
    EXPECT_TRUE(client.WaitForHangUp(kGenerous));
}

}  // namespace
}  // namespace q470::sim
