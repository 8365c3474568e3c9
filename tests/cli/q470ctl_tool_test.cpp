// The q470ctl executable, run as a separate process.

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

// The locale of messages chooses the language as it does for the window; Q470_LANG overrides it.
TEST(Q470ctlTool, TheLocaleChoosesTheLanguage) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> environment;
        const char* helpStart;
        const char* usageError;
    };
    const Case cases[] = {
        {{{"LANG", "ko_KR.UTF-8"}}, "사용법: q470ctl", "알 수 없는 명령 'blink'"},
        {{{"LC_MESSAGES", "ko_KR.UTF-8"}, {"LANG", "en_US.UTF-8"}}, "사용법: q470ctl", "알 수 없는 명령"},
        {{{"LC_ALL", "C"}, {"LANG", "ko_KR.UTF-8"}}, "Usage: q470ctl", "unknown command 'blink'"},
        {{{"LANG", "ko_KR.UTF-8"}, {"Q470_LANG", "en"}}, "Usage: q470ctl", "unknown command"},
        {{{"LANG", "C.UTF-8"}, {"Q470_LANG", "ko"}}, "사용법: q470ctl", "'q470ctl --help'로 사용법을 확인하십시오."},
    };
    const char* const variables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG", "Q470_LANG"};
    for (const auto& c : cases) {
        for (const char* name : variables) ::unsetenv(name);
        for (const auto& [name, value] : c.environment) ::setenv(name, value, 1);
        ChildProcess help(kQ470ctl, {"--help"});
        EXPECT_EQ(help.Output().rfind(c.helpStart, 0), 0u) << c.helpStart;
        EXPECT_EQ(help.Wait(kGenerous), 0);
        ChildProcess wrong(kQ470ctl, {"--sim", "Q470R", "blink"});
        EXPECT_NE(wrong.Errors().find(c.usageError), std::string::npos) << c.usageError;
        EXPECT_EQ(wrong.Wait(kGenerous), 2);
    }
    for (const char* name : variables) ::unsetenv(name);
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
