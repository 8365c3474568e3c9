// Backups the tool writes: a device state within the rules comes back whole through save, factory reset
// and apply; a device holding values the rules refuse is saved as read, with warnings, and its file is
// refused on apply with the reason. Through the tool against simulated modems.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "cli_rig.h"
#include "settings_rules.h"

namespace q470::test {
namespace {

using sim::ModemModel;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// What a backup holds: every setting the model's file form carries, as the device holds it.
std::string FileSettings(const sim::ModemSettings& s) {
    std::ostringstream text;
    text << "mode " << int{s.opMode} << ", UART " << s.baudRate << "/" << int{s.parity} << "/" << int{s.stopBits} << "/"
         << int{s.dataBits} << ", quiet " << s.quietMode;
    if (s.model != ModemModel::Q470R) {
        text << ", user PAN ID " << s.userPanId;
        return text.str();
    }
    text << ", role " << int{s.netRole} << ", PAN ID " << s.panId << ", channel " << int{s.rfChannel} << ", pins";
    for (const auto& pin : s.gpio) text << " " << int{pin.ioMode} << ":" << int{pin.pinConfig};
    text << ", interval " << s.reportInterval << ", to peer " << s.sendRemote;
    return text.str();
}

// The line a device at these settings is reached at, in the tool's options.
std::vector<std::string> LineOptions(const sim::ModemSettings& s) {
    static const char* const kParity[] = {"none", "even", "odd"};  // the device's codes 0, 1, 2
    return {"-b",          std::to_string(s.baudRate), "--parity", kParity[s.parity % 3],
            "--stop-bits", s.stopBits != 0 ? "2" : "1"};
}

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

constexpr std::uint32_t kRates[] = {2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};
constexpr std::uint8_t kPhyIds[] = {2, 5, 8, 12, 13};
constexpr std::int64_t kLongestInterval = std::numeric_limits<std::int32_t>::max();

// Random device states within the rules, from a fixed seed. Quiet mode is left to the edges (below).
class StateMaker {
public:
    sim::ModemSettings Random() {
        static const ModemModel kModels[] = {ModemModel::Q470R, ModemModel::KS410, ModemModel::KS400};
        sim::ModemSettings s = sim::FactorySettings(kModels[Below(3)]);
        s.opMode = static_cast<std::uint8_t>(1 + Below(4));
        s.netRole = static_cast<std::uint8_t>(1 + Below(2));
        s.panId = static_cast<std::uint16_t>(Between(kFirstPanId, kLastPanId));
        s.userPanId = static_cast<std::uint16_t>(Between(kFirstPanId, kLastPanId));
        s.phyId = kPhyIds[Below(std::size(kPhyIds))];
        const auto channels = ChannelsForPhyId(s.phyId);
        s.rfChannel = channels[Below(channels.size())];
        s.baudRate = kRates[Below(std::size(kRates))];
        s.parity = static_cast<std::uint8_t>(Below(3));
        s.stopBits = static_cast<std::uint8_t>(Below(2));
        for (std::uint8_t pin = 0; pin < s.gpio.size(); ++pin) {
            const auto mode = static_cast<std::uint8_t>(Between(0, AllowedGpioModes(pin).front().last));
            const auto value = static_cast<std::uint8_t>(Between(0, AllowedGpioValues(pin, mode).front().last));
            s.gpio[pin] = {mode, value};
        }
        s.reportInterval = Below(4) == 0 ? 0 : static_cast<std::uint32_t>(Between(1000, kLongestInterval));
        s.sendRemote = Below(2) == 0;
        return s;
    }

private:
    std::size_t Below(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }
    std::int64_t Between(std::int64_t first, std::int64_t last) {
        return std::uniform_int_distribution<std::int64_t>(first, last)(random_);
    }

    std::mt19937_64 random_{26};
};

sim::ModemSettings Factory(ModemModel model = ModemModel::Q470R) {
    return sim::FactorySettings(model);
}

// Pins set to one mode and one of its values on every pin that has the mode (input 0-2, output 0-1,
// the alternate function 0 and, on the status LED pin, also 1), the rest left as they are.
struct PinSetting {
    std::uint8_t mode;
    std::uint8_t value;
};
constexpr PinSetting kPinSettings[] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};

void SetPins(sim::ModemSettings& s, const PinSetting& setting) {
    for (std::uint8_t pin = 0; pin < s.gpio.size(); ++pin) {
        const std::uint8_t count = GpioValueCount(pin, setting.mode);
        if (count != 0) s.gpio[pin] = {setting.mode, static_cast<std::uint8_t>(setting.value % count)};
    }
}

// The edges: every channel plan at both ends, every pin mode and value, the interval's bounds, each
// rate, parity and stop bits, the PAN IDs' bounds, quiet mode on, each model. The edges of different
// settings do not depend on each other, so each state carries one edge of every setting in turn.
std::vector<sim::ModemSettings> EdgeStates() {
    const std::uint32_t intervals[] = {0, 1000, static_cast<std::uint32_t>(kLongestInterval)};
    const std::uint16_t panIds[] = {kFirstPanId, kLastPanId};
    std::vector<sim::ModemSettings> states;
    std::size_t turn = 0;
    for (const std::uint8_t phyId : kPhyIds) {
        const auto channels = ChannelsForPhyId(phyId);
        for (const std::uint8_t channel : {channels.front(), channels.back()}) {
            sim::ModemSettings s = Factory(ModemModel::Q470R);
            s.phyId = phyId;
            s.rfChannel = channel;
            SetPins(s, kPinSettings[turn % std::size(kPinSettings)]);
            s.reportInterval = intervals[turn % std::size(intervals)];
            s.sendRemote = turn % 2 == 0;
            s.baudRate = kRates[turn % std::size(kRates)];
            s.parity = static_cast<std::uint8_t>(turn % 3);
            s.stopBits = static_cast<std::uint8_t>(turn % 2);
            s.panId = panIds[turn % std::size(panIds)];
            s.opMode = static_cast<std::uint8_t>(1 + turn % 4);
            s.netRole = static_cast<std::uint8_t>(1 + turn % 2);
            states.push_back(s);
            ++turn;
        }
    }
    // The KELDAN models; the KELDAN-KS400 writes and takes back the KELDAN-KS410 form.
    for (const ModemModel model : {ModemModel::KS410, ModemModel::KS400}) {
        sim::ModemSettings s = Factory(model);
        s.userPanId = panIds[turn % std::size(panIds)];
        s.baudRate = kRates[turn % std::size(kRates)];
        s.parity = static_cast<std::uint8_t>(turn % 3);
        s.stopBits = static_cast<std::uint8_t>(turn % 2);
        s.opMode = static_cast<std::uint8_t>(1 + turn % 4);
        states.push_back(s);
        ++turn;
    }
    // Quiet mode, once: a quiet device never acknowledges the AT+QM=1 that ends an apply, so the state
    // costs that command's whole time-out. The closing write is the same for every model.
    sim::ModemSettings quiet = Factory(ModemModel::Q470R);
    quiet.quietMode = true;
    quiet.opMode = 3;
    quiet.netRole = 2;
    states.push_back(quiet);
    return states;
}

// A device that refuses the bare AT, so that identifying it in quiet mode does not wait out the
// time-out that a quiet device leaves the AT with; every other command is answered as usual.
void RefuseBareAt(sim::SimulatedModem& modem) {
    modem.SetFaultPolicy([](const std::string& command) {
        return command == "AT" ? sim::CommandFault::Refused() : sim::CommandFault{};
    });
}

// For every device state the simulated modem may hold within the rules: save, factory reset, apply and
// save again give the same file, and the device holds every setting the file carries as it did. The
// file form holds no PHY ID (the installation fixes the radio plan) and no RX pull-up, so the unit is
// put back on its plan after the reset, and RX pull-up is left at the factory's.
TEST(Backup, EveryStateWithinTheRulesComesBackThroughSaveFactoryResetAndApply) {
    std::vector<sim::ModemSettings> states = EdgeStates();
    StateMaker maker;
    for (int i = 0; i < 10; ++i) states.push_back(maker.Random());

    CliRig rig;
    rig.modem.SetReadyDelay(std::chrono::milliseconds(1));
    RefuseBareAt(rig.modem);
    TemporaryFolder folder;
    const std::string saved = folder.File("saved.json");
    const std::string again = folder.File("again.json");
    const auto started = std::chrono::steady_clock::now();
    for (const sim::ModemSettings& state : states) {
        const std::string name = FileSettings(state);
        SCOPED_TRACE(name);
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s = state; });
        const auto line = LineOptions(state);

        const CliRun save = rig.Run(With(line, {"save", saved}));
        ASSERT_EQ(save.status, 0) << save.err;
        EXPECT_FALSE(Contains(save.err, "warning")) << save.err;
        const CliRun reset = rig.Run(With(line, {"factory-reset"}));
        ASSERT_EQ(reset.status, 0) << reset.err;
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s.phyId = state.phyId; });

        const CliRun apply = rig.Run({"apply", saved});  // at the factory's line
        ASSERT_EQ(apply.status, 0) << apply.err;
        const CliRun read = rig.Run(With(line, {"save", again}));
        ASSERT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(ReadWhole(again), ReadWhole(saved));
        EXPECT_EQ(FileSettings(rig.modem.Settings()), name);
        rig.modem.ClearTranscript();
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << states.size() << " device states in " << elapsed.count() << " ms\n";
}

// A device set up by older firmware or another tool may hold what the rules refuse. It is saved as
// read, with a warning for each such value; its file is refused on apply, naming the value, what is
// allowed and that the file needs it changed; read shows the same warnings.
TEST(Backup, ValuesTheRulesRefuseAreSavedAsReadWithWarningsAndTheFileIsRefused) {
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.reportInterval = 500;
        s.gpio[0] = {2, 0};  // pin 0 has no alternate function
    });
    const std::string interval =
        "GPIOs/Periodic Report/Report Interval: the device holds 500, which is not allowed (allowed: 0, 1000 to "
        "2147483647); a file holding it cannot be applied until it is changed.";
    const std::string pin =
        "GPIOs/Configs[0]/IoMode: the device holds 2, which is not allowed (allowed: 0 to 1, the modes of pin 0); a "
        "file holding it cannot be applied until it is changed.";
    const std::string warned = "q470ctl: " + rig.Port() + ": warning: ";

    TemporaryFolder folder;
    const std::string file = folder.File("held.json");
    const CliRun save = rig.Run({"save", file});
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_TRUE(Contains(save.err, warned + interval + "\n")) << save.err;
    EXPECT_TRUE(Contains(save.err, warned + pin + "\n")) << save.err;
    const std::string content = ReadWhole(file);
    EXPECT_TRUE(Contains(content, "\"Report Interval\": 500,")) << content;
    EXPECT_TRUE(Contains(content, "\"Num\": 0,\r\n                \"IoMode\": 2,")) << content;

    for (const char* command : {"read", "save"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args{"--json", command};
        if (std::string(command) == "save") args.push_back(file);
        const CliRun json = rig.Run(args);
        ASSERT_EQ(json.status, 0) << json.err;
        const auto document = ParseJson(json.out);
        const auto& warnings = PortRecord(document)["warnings"];
        ASSERT_EQ(warnings.Size(), 2u);
        EXPECT_EQ(warnings[0].GetString(), pin);
        EXPECT_EQ(warnings[1].GetString(), interval);
    }
    const CliRun read = rig.Run({"read"});
    EXPECT_EQ(read.status, 0);
    EXPECT_TRUE(Contains(read.err, warned + interval)) << read.err;
    rig.TakeCommands();

    const CliRun apply = rig.Run({"apply", file});
    EXPECT_EQ(apply.status, 4) << apply.err;
    EXPECT_TRUE(Contains(apply.err, "GPIOs/Configs[0]/IoMode: 2 is not allowed (allowed: 0 to 1, the modes of pin 0)."))
        << apply.err;
    EXPECT_TRUE(Contains(apply.err, "GPIOs/Periodic Report/Report Interval: 500 is not allowed")) << apply.err;
    EXPECT_TRUE(Contains(apply.err,
                         "A file saved from a device that holds such a value can be applied once that value "
                         "is changed in it."))
        << apply.err;
    EXPECT_EQ(rig.TakeCommands(), std::vector<std::string>{}) << "refused before the port was opened";

    // A device within the rules warns of nothing.
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s = sim::FactorySettings(ModemModel::Q470R); });
    const CliRun clean = rig.Run({"--json", "save", file});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "");
    EXPECT_EQ(PortRecord(ParseJson(clean.out))["warnings"].Size(), 0u);
}

// The file holds no PHY ID: a backup of a unit on another channel plan than the one it is restored to
// is refused at once, naming the channel and the plan the device is on, and nothing is written.
TEST(Backup, AFileForAnotherChannelPlanSaysWhyAtOnce) {
    CliRig rig;
    rig.modem.SetReadyDelay(std::chrono::milliseconds(1));
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.phyId = 8;
        s.rfChannel = 46;
    });
    TemporaryFolder folder;
    const std::string file = folder.File("outdoor.json");
    ASSERT_EQ(rig.Run({"save", file}).status, 0);
    ASSERT_EQ(rig.Run({"factory-reset"}).status, 0);
    rig.TakeCommands();
    const CliRun apply = rig.Run({"apply", file});
    EXPECT_EQ(apply.status, 4);
    EXPECT_TRUE(
        Contains(apply.err, "General/RF Channel: 46 is not allowed (allowed: 99 to 105, the channels of PHY ID 12)."))
        << apply.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()})) << "read, nothing written";
}

}  // namespace
}  // namespace q470::test
