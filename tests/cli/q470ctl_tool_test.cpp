// The q470ctl executable, run as a separate process.

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using q470::test::ChildProcess;
using namespace std::chrono_literals;

constexpr auto kGenerous = 20s;
constexpr const char* kQ470ctl = Q470CTL_EXECUTABLE;

TEST(Q470ctlTool, HelpGoesToStandardOutput) {
    ChildProcess tool(kQ470ctl, {"--help"});
    EXPECT_EQ(tool.Wait(kGenerous), 0);
    const std::string out = tool.Output();
    EXPECT_EQ(out.rfind("Usage: q470ctl [options] COMMAND [args]", 0), 0u) << out;
    EXPECT_EQ(tool.Errors(), "");
}

TEST(Q470ctlTool, ABadOptionIsAUsageErrorOnStandardError) {
    ChildProcess tool(kQ470ctl, {"--sim", "Q470R", "--baud", "1200", "read"});
    EXPECT_EQ(tool.Wait(kGenerous), 2);
    EXPECT_EQ(tool.Output(), "");
    EXPECT_NE(tool.Errors().find("--baud 1200: not allowed (allowed: 2400, 4800"), std::string::npos);
}

TEST(Q470ctlTool, ReadsTheBuiltInSimulatedDevice) {
    ChildProcess tool(kQ470ctl, {"--sim", "Q470R", "read", "--json"});
    EXPECT_EQ(tool.Wait(kGenerous), 0);
    rapidjson::Document document;
    const std::string out = tool.Output();
    document.Parse(out.c_str());
    ASSERT_FALSE(document.HasParseError()) << out;
    const auto& port = document["ports"][0];
    EXPECT_STREQ(port["device"]["model"].GetString(), "Q470R");
    EXPECT_STREQ(port["device"]["firmware"].GetString(), "1.5.0");
    EXPECT_EQ(port["gpio"]["pins"].Size(), 13u);
    EXPECT_EQ(tool.Errors(), "") << "no progress lines when standard error is not a terminal";
}

// At 2400 baud the simulated device needs well over a second for the read; the interrupt ends it early.
TEST(Q470ctlTool, SigintEndsTheRunWithStatus130) {
    ChildProcess tool(kQ470ctl, {"--sim", "Q470R", "--sim-firmware", "1.4.0", "--baud", "2400", "read"});
    std::this_thread::sleep_for(300ms);
    const auto signalled = Clock::now();
    tool.Signal(SIGINT);
    EXPECT_EQ(tool.Wait(kGenerous), 130);
    EXPECT_LT(Clock::now() - signalled, 1s);
    EXPECT_NE(tool.Errors().find("interrupted"), std::string::npos);
}

}  // namespace
