// set, gpio and apply with --verify and --restart, and discover, against simulated modems.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "cli_rig.h"
#include "enumerate_serial_ports.h"
#include "line_choices.h"
#include "pty_port.h"
#include "q470comm.h"

namespace q470::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t CountOf(const std::vector<std::string>& commands, const std::string& command) {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

// The commands after the restart: the read-back asks, never writes.
std::vector<std::string> AfterRestart(const std::vector<std::string>& commands) {
    const auto restart = std::find(commands.begin(), commands.end(), "ATZ\r");
    return restart == commands.end() ? std::vector<std::string>{}
                                     : std::vector<std::string>(restart + 1, commands.end());
}

TEST(CliVerify, SettingsKeptAreVerifiedAfterTheRestart) {
    CliRig rig;
    const CliRun run = rig.Run({"set", "channel=101", "quiet=1", "--verify", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    const auto& record = d["ports"][0];
    const auto& verify = record["verify"];
    EXPECT_STREQ(verify["outcome"].GetString(), "verified");
    EXPECT_TRUE(verify["ok"].GetBool());
    EXPECT_EQ(verify["line"]["baud"].GetInt(), 9600);
    EXPECT_EQ(verify["differences"].Size(), 0u);
    ASSERT_EQ(verify["settings"].Size(), 8u);  // mode panid phyid channel role uart rx-pullup quiet
    EXPECT_STREQ(verify["settings"][3]["setting"].GetString(), "channel");
    EXPECT_STREQ(verify["settings"][3]["readBack"].GetString(), "101");
    EXPECT_TRUE(record["restarted"].GetBool());

    const auto commands = rig.TakeCommands();
    EXPECT_EQ(CountOf(commands, "ATZ\r"), 1u);
    const auto after = AfterRestart(commands);
    ASSERT_FALSE(after.empty());
    // The device is quiet now: the read-back is found by AT+QM?, which it still answers.
    for (const auto& command : after) EXPECT_EQ(command.find('='), std::string::npos) << command;

    // As text: the summary follows the window's message.
    CliRig talking;
    const CliRun text = talking.Run({"set", "channel=102", "--verify"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(Contains(text.out,
                         "verified after the restart: 8 settings read back as written (the device "
                         "answers at 9600 8N1)\n"))
        << text.out;
}

// The device acknowledges a write and loses it: named with what was written and what it holds.
TEST(CliVerify, AnAcknowledgedSettingTheDeviceDidNotKeep) {
    CliRig rig;
    rig.modem.SetFault("AT+RFCH=", sim::CommandFault::Forgotten());
    const CliRun run = rig.Run({"set", "channel=101", "--verify"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err,
                         "verify: 1 of 8 settings differ from what was written (the device answers at 9600 "
                         "8N1):\n"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, ":   channel: written 101, read back 99\n")) << run.err;

    CliRig pins;
    pins.modem.SetFault("AT+GPIOC=", sim::CommandFault::Forgotten());
    const CliRun gpio = pins.Run({"gpio", "5=output:high", "--verify", "--json"});
    EXPECT_EQ(gpio.status, 1);
    const auto d = ParseJson(gpio.out);
    EXPECT_FALSE(d["ok"].GetBool());
    EXPECT_STREQ(d["outcome"].GetString(), "not-as-written");
    const auto& verify = d["ports"][0]["verify"];
    EXPECT_STREQ(verify["outcome"].GetString(), "differs");
    ASSERT_EQ(verify["differences"].Size(), 1u);
    const auto& difference = verify["differences"][0];
    EXPECT_STREQ(difference["setting"].GetString(), "pin 5");
    EXPECT_STREQ(difference["written"].GetString(), "output:high");
    EXPECT_STREQ(difference["readBack"].GetString(), "input:no-pull");
}

// A new UART rate is proven by the device answering at it after its restart; a device that kept the
// old one is found at the old one.
TEST(CliVerify, ANewUartRate) {
    CliRig rig;
    const CliRun run = rig.Run({"set", "baud=115200", "--verify", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    EXPECT_STREQ(d["ports"][0]["verify"]["line"]["text"].GetString(), "115200 8N1");
    EXPECT_EQ(rig.modem.ActiveLine().baudRate, 115200u);

    CliRig stubborn;
    stubborn.modem.SetFault("AT+UART=", sim::CommandFault::Forgotten());
    const CliRun kept = stubborn.Run({"set", "baud=57600", "--verify"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_TRUE(Contains(kept.err, ":   uart: written 57600 8N1, read back 9600 8N1 (the device answers there)\n"))
        << kept.err;
}

TEST(CliVerify, ApplyVerifiesEveryItemOfTheFile) {
    TemporaryFolder folder;
    const std::string file = folder.File("q470r.json");
    CliRig source;
    source.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.panId = 777;
        s.rfChannel = 103;
        s.gpio[2] = {2, 1};
        s.reportInterval = 2000;
    });
    ASSERT_EQ(source.Run({"save", file}).status, 0);

    CliRig target;
    const CliRun run = target.Run({"apply", file, "--verify", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    const auto& verify = d["ports"][0]["verify"];
    EXPECT_STREQ(verify["outcome"].GetString(), "verified");
    // op mode, role, channel, PAN ID, UART, 13 pins, interval, send-to-peer, quiet mode
    ASSERT_EQ(verify["settings"].Size(), 21u);
    std::vector<std::string> names;
    for (const auto& setting : verify["settings"].GetArray()) names.push_back(setting["setting"].GetString());
    EXPECT_EQ(CountOf(names, "quiet"), 1u);
    EXPECT_EQ(CountOf(names, "pin 12"), 1u);
    EXPECT_EQ(CountOf(target.TakeCommands(), "ATZ\r"), 1u) << "apply restarts once, --verify adds none";
}

TEST(CliVerify, RestartAloneRestartsWithoutReadingBack) {
    CliRig rig;
    const CliRun run = rig.Run({"gpio", "3=output:low", "--restart", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    EXPECT_TRUE(d["ports"][0]["restarted"].GetBool());
    EXPECT_TRUE(d["ports"][0]["verify"].IsNull());
    const auto commands = rig.TakeCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "ATZ\r");
}

TEST(CliDiscover, GivenPortsEachNeedAModem) {
    sim::ModemSettings fast = sim::FactorySettings(sim::ModemModel::KS410);
    fast.baudRate = 57600;
    CliRig modem(fast);
    sim::PtyPort dead;
    ASSERT_FALSE(dead.Open());

    const CliRun both = RunTool({"discover", "-p", modem.Port(), "-p", dead.SlavePath(), "--json"});
    EXPECT_EQ(both.status, 1);
    const auto d = ParseJson(both.out);
    EXPECT_STREQ(d["command"].GetString(), "discover");
    ASSERT_EQ(d["ports"].Size(), 2u);
    const auto& found = d["ports"][0];
    EXPECT_STREQ(found["port"].GetString(), modem.Port().c_str());
    EXPECT_STREQ(found["outcome"].GetString(), "ok");
    EXPECT_STREQ(found["discovery"]["line"]["text"].GetString(), "57600 8N1");
    EXPECT_STREQ(found["device"]["model"].GetString(), "KELDAN-KS410");
    EXPECT_STREQ(found["device"]["extendedAddress"].GetString(), "00:12:4B:00:1A:2B:3C:4D");
    EXPECT_STREQ(d["ports"][1]["outcome"].GetString(), "no-answer");
    EXPECT_TRUE(Contains(both.err, dead.SlavePath() + ": no modem answered at any of the 9 line settings tried"))
        << both.err;
    for (const auto& command : modem.TakeCommands()) EXPECT_EQ(command.find('='), std::string::npos) << command;

    const CliRun one = RunTool({"discover", "-p", modem.Port()});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_TRUE(Contains(one.out, "PORT")) << one.out;
    EXPECT_TRUE(Contains(one.out, "found   57600 8N1  KELDAN-KS410")) << one.out;

    // Held by another program: busy, and a given port that cannot be opened is status 3.
    Q470Comm holder;
    ASSERT_FALSE(holder.Open(modem.Port(), 57600, 8, 0, 0));
    const CliRun busy = RunTool({"discover", "-p", modem.Port()});
    EXPECT_EQ(busy.status, 3);
    EXPECT_TRUE(Contains(busy.out, "busy")) << busy.out;
    EXPECT_TRUE(Contains(busy.err, "Device or resource busy")) << busy.err;
}

// Ctrl-C while ports without a modem are searched ends the search at once.
TEST(CliDiscover, AStopEndsTheSearchAtOnce) {
    sim::PtyPort dead;
    ASSERT_FALSE(dead.Open());
    StopRequest stop;
    CliEnvironment environment;
    environment.stop = &stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.Request(2);
    });
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunTool({"discover", "-p", dead.SlavePath(), "--json"}, environment);
    stopper.join();
    EXPECT_EQ(run.status, 130);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700));
    EXPECT_STREQ(ParseJson(run.out)["ports"][0]["outcome"].GetString(), "interrupted");
}

// A pseudo-terminal refuses parity at most rates: those settings are skipped and named, and the search
// goes on to its end. It takes the whole thorough search (some seconds, most of them the slow rates'
// probes): the end is the point.
TEST(CliDiscover, ThoroughSkipsSettingsThePortCannotTakeAndFinishes) {
    sim::PtyPort dead;
    ASSERT_FALSE(dead.Open());
    const CliRun run = RunTool({"discover", "--thorough", "-p", dead.SlavePath(), "--json"});
    EXPECT_EQ(run.status, 1) << run.err;
    const auto report = ParseJson(run.out);
    const auto& port = report["ports"][0];
    EXPECT_STREQ(port["outcome"].GetString(), "no-answer");
    const auto& discovery = port["discovery"];
    const auto skipped = discovery["linesSkipped"].Size();
    EXPECT_GT(skipped, 0u);
    EXPECT_EQ(discovery["settingsTried"].GetUint() + skipped, SearchLines(true).size());
    EXPECT_TRUE(Contains(run.err, "line settings the port cannot take were skipped")) << run.err;
}

// Without -p every listed port is searched, and one modem anywhere is enough.
TEST(CliDiscover, ListedPortsNeedOneModemAmongThem) {
    CliRig modem;
    RegisterRuntimePort(modem.Port());
    const CliRun run = RunTool({"discover", "--json"});
    UnregisterRuntimePort(modem.Port());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    bool found = false;
    for (const auto& port : d["ports"].GetArray()) {
        if (std::string(port["port"].GetString()) == modem.Port()) found = port["device"].IsObject();
    }
    EXPECT_TRUE(found) << run.out;
}

}  // namespace
}  // namespace q470::test
