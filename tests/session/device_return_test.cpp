// Finding a device again after it went away: the port stays, comes back under its name or under
// another one found through its stable link, or stays away; the device may answer at another line.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "command_catalogue.h"
#include "device_return.h"
#include "simulated_modem.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;
using q470::ReturnResult;
using q470::sim::ReturnName;
using Clock = std::chrono::steady_clock;
using Outcome = ReturnResult::Outcome;

constexpr q470::ConnectionLine k9600{9600, 8, 0, 0};
constexpr q470::ConnectionLine k115200{115200, 8, 0, 0};

// Opens the modem by `port`, restarts it with ATZ and lets the port go, as the window does before it
// waits; the request names the port as it was opened.
q470::ReturnRequest Restarted(q470::Q470Comm& link, const std::string& port, const std::string& linkFolder) {
    q470::ReturnRequest request;
    request.port = port;
    EXPECT_FALSE(link.Open(port, 9600, 8, 0, 0));
    request.names = q470::CollectPortNames(port, {linkFolder});
    link.Execute(q470::CommandText(q470::CmdRestart), q470::CmdRestart);
    link.Close();
    return request;
}

TEST(DeviceReturn, TheDeviceIsFoundWhereverItsPortCameBack) {
    struct Case {
        const char* name;
        bool reenumerates;
        ReturnName returnName;
        Outcome outcome;
        bool byStableLink;
    };
    const Case cases[] = {
        {"port stays", false, ReturnName::Same, Outcome::Back, false},
        {"same name", true, ReturnName::Same, Outcome::Back, false},
        {"another name", true, ReturnName::Other, Outcome::Back, true},
        {"never back", true, ReturnName::Never, Outcome::NotBack, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        q470::test::TempFolder folder;
        const std::string kernelLink = folder.Path("ttyACM0");
        const std::string stableLink = folder.Path("by-id/usb-Brevint_Q470R_0001-if00");
        q470::sim::SimulatedModem modem{q470::sim::ModemSettings{}};
        modem.SetLinks(stableLink, kernelLink);
        if (c.reenumerates) modem.SetReenumeration({true, c.returnName, 150ms});
        ASSERT_TRUE(modem.Start());
        q470::Q470Comm link;
        q470::ReturnRequest request = Restarted(link, kernelLink, folder.Path("by-id"));
        request.lines = {k9600};
        request.budget = 800ms;
        const ReturnResult result = q470::AwaitDeviceReturn(link, request);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(link.IsOpen(), c.outcome == Outcome::Back);
        if (c.outcome == Outcome::Back) {
            EXPECT_EQ(result.name, c.byStableLink ? stableLink : kernelLink);
        }
        link.Close();
    }
}

// The line the device should use first; one that answers only at the other is found there, and one
// that answers at neither is no answer, not a port that stayed away.
TEST(DeviceReturn, TheDeviceIsLookedForAtEachLineInTurn) {
    q470::sim::ModemSettings settings;
    settings.baudRate = 115200;
    q470::sim::SimulatedModem modem{settings};
    ASSERT_TRUE(modem.Start());
    q470::Q470Comm link;
    q470::ReturnRequest request;
    request.port = modem.PortPath();
    request.budget = 400ms;
    request.lines = {k9600, k115200};
    ReturnResult result = q470::AwaitDeviceReturn(link, request);
    EXPECT_EQ(result.outcome, Outcome::Back);
    EXPECT_EQ(result.line.baudRate, 115200u);
    link.Close();

    request.lines = {k9600};
    result = q470::AwaitDeviceReturn(link, request);
    EXPECT_EQ(result.outcome, Outcome::NoAnswer);
    EXPECT_FALSE(link.IsOpen());
}

// A stop from another thread ends the wait at once, not at the end of the budget.
TEST(DeviceReturn, AStopEndsTheWaitPromptly) {
    q470::test::TempFolder folder;
    const std::string kernelLink = folder.Path("ttyACM0");
    q470::sim::SimulatedModem modem{q470::sim::ModemSettings{}};
    modem.SetLinks({}, kernelLink);
    modem.SetReenumeration({true, ReturnName::Never, 150ms});
    ASSERT_TRUE(modem.Start());
    q470::Q470Comm link;
    q470::ReturnRequest request = Restarted(link, kernelLink, folder.Path("by-id"));
    std::atomic<bool> stop{false};
    request.lines = {k9600};
    request.budget = 20s;
    request.stopping = [&stop] { return stop.load(); };
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(300ms);
        stop = true;
    });
    const auto start = Clock::now();
    const ReturnResult result = q470::AwaitDeviceReturn(link, request);
    stopper.join();
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_LT(Clock::now() - start, 1500ms);
}

}  // namespace
