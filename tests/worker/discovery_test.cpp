#include "port_discovery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "line_choices.h"
#include "model_kind.h"
#include "pty_port.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;
using sim::ModemModel;
using sim::ModemSettings;
using sim::SimulatedModem;

ModemSettings Device(ModemModel model, std::uint32_t baudRate, bool quiet = false, std::uint8_t stopBits = 0) {
    ModemSettings settings = sim::FactorySettings(model);
    settings.baudRate = baudRate;
    settings.quietMode = quiet;
    settings.stopBits = stopBits;  // device codes: 1 is two stop bits
    return settings;
}

std::unique_ptr<SimulatedModem> Started(const ModemSettings& settings) {
    auto modem = std::make_unique<SimulatedModem>(settings);
    EXPECT_TRUE(modem->Start());
    return modem;
}

// A port with nothing behind it: a pseudo-terminal whose other end nobody reads or answers.
struct DeadPort {
    DeadPort() { EXPECT_FALSE(pty.Open()); }
    sim::PtyPort pty;
};

// The probe's leading line end comes in as an empty command; the rest are queries.
bool OnlyQueries(const std::vector<std::string>& commands) {
    for (const auto& command : commands) {
        if (command != "\r" && (command.rfind("AT+", 0) != 0 || command.find('?') == std::string::npos)) return false;
    }
    return !commands.empty();
}

struct FoundCase {
    const char* name;
    ModemModel model;
    std::uint32_t baudRate;
    bool quiet;
    std::size_t settingsTried;  // the position of its rate in the search order
};

// Each device is found at its own rate after the rates before it in the search order gave noise (the
// simulated device answers a wrong rate with garbled bytes) and is identified without a write.
TEST(Discovery, FindsEachDeviceAtItsOwnRateWithQueriesOnly) {
    const FoundCase cases[] = {
        {"Q470R at 9600, the first rate tried", ModemModel::Q470R, 9600, false, 1},
        {"quiet KELDAN-KS410 at 115200", ModemModel::KS410, 115200, true, 2},
        {"KELDAN-KS400 at 19200", ModemModel::KS400, 19200, false, 5},
        {"quiet Q470R at 230400, the last rate tried", ModemModel::Q470R, 230400, true, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto modem = Started(Device(c.model, c.baudRate, c.quiet));
        const PortDiscovery result = DiscoverPort(modem->PortPath(), {});
        ASSERT_EQ(result.outcome, DiscoveryOutcome::Found);
        ASSERT_TRUE(result.line);
        EXPECT_EQ(LineText(*result.line), std::to_string(c.baudRate) + " 8N1");
        EXPECT_EQ(result.settingsTried, c.settingsTried);
        EXPECT_STREQ(ModelName(result.identity.modelKind), sim::ModelName(c.model));
        EXPECT_EQ(result.identity.quietMode, c.quiet ? 1 : 0);
        EXPECT_EQ(result.identity.firmware, modem->Settings().firmware);
        EXPECT_EQ(result.identity.extendedAddress, modem->Settings().extendedAddress);
        EXPECT_TRUE(OnlyQueries(modem->Commands()));
        EXPECT_EQ(modem->ActiveLine().baudRate, c.baudRate);  // nothing was changed
    }
}

struct MisbehaviourCase {
    const char* name;
    const char* keyword;
    sim::CommandFault fault;
    DiscoveryOutcome outcome;
};

sim::CommandFault Late(std::chrono::milliseconds delay) {
    sim::CommandFault fault;
    fault.delay = delay;
    fault.trailerDelay = delay;
    return fault;
}

sim::CommandFault Noisy() {
    sim::CommandFault fault;
    fault.strayBytes = {{0, true, '\x7F'}, {1, false, '\n'}, {2, true, 'x'}};
    fault.splitAt = {3, 9};
    fault.splitPause = 15ms;
    return fault;
}

sim::CommandFault Twice() {
    sim::CommandFault fault;
    fault.duplicateDataLines = true;
    fault.injectBetweenLines = "\r\n+ACTIVE\r\n";
    return fault;
}

sim::CommandFault HangsUp() {
    sim::CommandFault fault;
    fault.hangUp = true;
    return fault;
}

// While it is identified the device answers late, with noise, twice, or not at all: noise never costs
// a device that answers, a device that stops answering is never reported found, and nothing waits
// beyond its time-outs.
TEST(Discovery, ADeviceThatMisbehavesWhileItIsIdentified) {
    const MisbehaviourCase cases[] = {
        {"model name late, just inside its time-out", "AT+MODELNAME?", Late(600ms), DiscoveryOutcome::Found},
        {"stray bytes and a split answer", "AT+VER?", Noisy(), DiscoveryOutcome::Found},
        {"the probe's answer twice, an unsolicited line", "AT+QM?", Twice(), DiscoveryOutcome::Found},
        {"the identity twice", "AT+INFO?", Twice(), DiscoveryOutcome::Found},
        {"silent to its model name", "AT+MODELNAME?", sim::CommandFault::Silent(), DiscoveryOutcome::Unidentified},
        {"hangs up at its version", "AT+VER?", HangsUp(), DiscoveryOutcome::Unidentified},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto modem = Started(Device(ModemModel::Q470R, 115200));
        modem->SetFault(c.keyword, c.fault);
        const auto start = std::chrono::steady_clock::now();
        const PortDiscovery result = DiscoverPort(modem->PortPath(), {});
        EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
        EXPECT_EQ(result.outcome, c.outcome);
        ASSERT_TRUE(result.line);
        EXPECT_EQ(LineText(*result.line), "115200 8N1");
        if (c.outcome == DiscoveryOutcome::Found) {
            EXPECT_EQ(result.identity.firmware, modem->Settings().firmware);
            EXPECT_EQ(result.identity.extendedAddress, modem->Settings().extendedAddress);
        }
    }
}

TEST(Discovery, PortsWithoutAModem) {
    DeadPort dead;
    auto other = Started([] {
        ModemSettings settings = Device(ModemModel::Q470R, 9600);
        settings.modelName = "Q470X";
        return settings;
    }());
    auto held = Started(Device(ModemModel::Q470R, 9600));
    Q470Comm holder;  // another program has this port
    ASSERT_FALSE(holder.Open(held->PortPath(), 9600, 8, 0, 0));

    const auto results =
        DiscoverPorts({dead.pty.SlavePath(), other->PortPath(), held->PortPath(), "/dev/q470-no-such-port"}, {});
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0].outcome, DiscoveryOutcome::NoDevice);
    EXPECT_EQ(results[0].settingsTried, 9u);
    EXPECT_FALSE(results[0].line);
    EXPECT_EQ(results[1].outcome, DiscoveryOutcome::Unidentified);
    EXPECT_EQ(results[1].identity.modelName, "Q470X");
    EXPECT_EQ(results[2].outcome, DiscoveryOutcome::Busy);
    EXPECT_EQ(results[2].openError, std::errc::device_or_resource_busy);
    EXPECT_TRUE(held->Commands().empty());
    EXPECT_EQ(results[3].outcome, DiscoveryOutcome::CannotOpen);
    EXPECT_EQ(results[3].openError, std::errc::no_such_file_or_directory);
    for (const auto& result : results) EXPECT_EQ(result.port.empty(), false);
}

// A device at two stop bits hears nothing at one: only the thorough search finds it. A pseudo-terminal
// carries the rate and the stop bits but not the parity (it always reads 8 data bits without parity),
// so a device at even parity is found at the first format tried, 8N1; a real line would need the
// thorough search for it too.
TEST(Discovery, ThoroughSearchAddsStopBitAndParityVariants) {
    auto twoStopBits = Started(Device(ModemModel::Q470R, 19200, false, 1));
    EXPECT_EQ(DiscoverPort(twoStopBits->PortPath(), {}).outcome, DiscoveryOutcome::NoDevice);
    DiscoveryOptions thorough;
    thorough.thorough = true;
    const PortDiscovery found = DiscoverPort(twoStopBits->PortPath(), thorough);
    ASSERT_EQ(found.outcome, DiscoveryOutcome::Found);
    EXPECT_EQ(LineText(*found.line), "19200 8N2");
    EXPECT_EQ(found.settingsTried, 9u + 5u);

    ModemSettings evenParity = Device(ModemModel::Q470R, 9600);
    evenParity.parity = 1;  // device code for even
    auto even = Started(evenParity);
    EXPECT_EQ(LineText(*DiscoverPort(even->PortPath(), thorough).line), "9600 8N1");
}

// The search tells its progress setting by setting, and a stop ends it while a probe waits.
TEST(Discovery, ProgressAndStop) {
    DeadPort dead;
    DiscoveryStop stop;
    std::atomic<std::size_t> reported{0};
    std::atomic<std::size_t> count{0};
    PortDiscovery result;
    std::thread searcher([&] {
        result = DiscoverPort(dead.pty.SlavePath(), {}, &stop,
                              [&](const std::string& port, const ConnectionLine&, std::size_t index, std::size_t of) {
                                  EXPECT_EQ(port, dead.pty.SlavePath());
                                  EXPECT_EQ(index, reported.load());
                                  count = of;
                                  ++reported;
                              });
    });
    while (reported < 2) std::this_thread::sleep_for(5ms);
    const auto stopAt = std::chrono::steady_clock::now();
    stop.Stop();
    searcher.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, 100ms);
    EXPECT_EQ(result.outcome, DiscoveryOutcome::Stopped);
    EXPECT_EQ(count.load(), 9u);
    EXPECT_LT(reported.load(), 9u);

    // A stopped search starts nothing more.
    EXPECT_EQ(DiscoverPort(dead.pty.SlavePath(), {}, &stop).outcome, DiscoveryOutcome::Stopped);
}

}  // namespace
}  // namespace q470
