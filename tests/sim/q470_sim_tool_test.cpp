// The q470-sim executable, run as a separate process.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "pty_client.h"
#include "temp_folder.h"

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
    for (const char* option : {"--model", "--firmware", "--quiet", "--echo", "--pace", "--count", "--address",
                               "--reenumerate", "--comes-back", "--away", "--link", "--kernel-link", "--fixture",
                               "--units", "--plug-after", "--unplug-after-restart", "--help"}) {
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
        {"--model", "Q470R", "--address", "00:12:4B"},
        {"--model", "Q470R", "--comes-back", "never"},
        {"--model", "Q470R", "--reenumerate", "--comes-back", "later"},
        {"--model", "Q470R", "--link", "/tmp/a", "--count", "2"},
        {"--model", "Q470R", "--units", "3"},
        {"--model", "Q470R", "--fixture", "/tmp/f", "--link", "/tmp/a"},
        {"--model", "Q470R", "--fixture", "/tmp/f", "--plug-after", "soon"},
        {"--model", "Q470R", "--fixture", "/tmp/f", "--fixture", "/tmp/f"},
        {"--model", "Q470R", "--link", "/tmp/a", "--kernel-link", "/tmp/a"},
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

bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kGenerous;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

// The device's link follows it to its new port after a restart; standard error says where it went.
TEST(SimTool, AReenumeratingDeviceComesBackBehindItsLink) {
    test::TempFolder folder;
    const std::string link = folder.Path("by-id/usb-Brevint_Q470R-if00");
    ChildProcess sim(kQ470Sim, {"--model", "Q470R", "--reenumerate", "--away", "50", "--link", link});
    ASSERT_TRUE(sim.Started());
    const std::string first = sim.OutputLines(1, kGenerous);
    {
        PtyClient client(link);
        ASSERT_TRUE(client.IsOpen()) << link;
        client.Write("ATZ\r");
        EXPECT_EQ(client.ReadUntil("\r\nOK\r\n", kGenerous), "\r\nOK\r\n");
        EXPECT_TRUE(client.WaitForHangUp(kGenerous));
    }
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(link); }));
    PtyClient again(link);
    again.Write("AT\r");
    EXPECT_EQ(again.ReadUntil("\r\nOK\r\n", kGenerous), "\r\nOK\r\n");
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(kGenerous), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link outlived the device";
    const std::string errors = sim.Errors(kGenerous);
    EXPECT_NE(errors.find(link + ": restarting, off the bus\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find(link + ": back on /dev/pts/"), std::string::npos) << errors;
}

// Fixtures driven from standard input: units with their own addresses appear behind the fixture's path
// and go; the tool ends once every unit has been and gone.
TEST(SimTool, FixturesPlugAndUnplugUnitsOnCommand) {
    test::TempFolder folder;
    const std::string one = folder.Path("by-path/fixture-1");
    const std::string two = folder.Path("by-path/fixture-2");
    ChildProcess sim(kQ470Sim,
                     {"--model", "KELDAN-KS410", "--fixture", one, "--fixture", two, "--units", "2", "--address",
                      "00:12:4B:00:00:00:00:10"},
                     ChildProcess::StandardOutput::Piped, ChildProcess::StandardInput::Piped);
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.WriteInput("plug " + one + "\n"));
    std::string events = sim.OutputLines(1, kGenerous);
    EXPECT_EQ(events.rfind("plugged " + one + " /dev/pts/", 0), 0u) << events;
    EXPECT_NE(events.find(" 00:12:4B:00:00:00:00:10\n"), std::string::npos) << events;
    EXPECT_TRUE(std::filesystem::is_symlink(one));
    EXPECT_FALSE(std::filesystem::is_symlink(two));

    ASSERT_TRUE(sim.WriteInput("unplug\nplug\n"));
    events = sim.OutputLines(3, kGenerous);
    EXPECT_EQ(events.substr(0, events.find('\n')), "unplugged " + one) << events;
    EXPECT_NE(events.find(" 00:12:4B:00:00:00:00:11\n"), std::string::npos) << "the next unit of fixture 1: " << events;
    EXPECT_NE(events.find(" 00:12:4B:00:00:00:00:12\n"), std::string::npos) << "the first of fixture 2: " << events;

    ASSERT_TRUE(sim.WriteInput("bogus\nunplug\nplug " + two + "\nunplug\n"));
    EXPECT_EQ(sim.Wait(kGenerous), 0) << "every unit came and went";
    EXPECT_FALSE(std::filesystem::is_symlink(one) || std::filesystem::is_symlink(two));
    EXPECT_NE(sim.Errors(kGenerous).find("unknown command 'bogus'"), std::string::npos);
}

}  // namespace
}  // namespace q470::sim
