// Every command of q470ctl against simulated modems, held against a recorded transcript: the bytes each
// device received, the tool's standard output and error, and its exit status. Anything that changes
// what goes on the wire or what the tool says shows up here as a difference.
//
// Q470_UPDATE_TRANSCRIPTS=1 writes the recording anew (after a change that is meant to show).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "cli_rig.h"
#include "stop_request.h"

namespace {

using q470::sim::CommandFault;
using q470::sim::ModemModel;
using q470::sim::ModemSettings;
using q470::sim::SimulatedModem;

using Clock = std::chrono::steady_clock;

// One run: the devices it talks to, what they do wrong, the tool's arguments ({port0}, {port1},
// {dir} filled in) and, for a stop, the command the device is left stuck at when it comes.
struct Scenario {
    std::string name;
    std::vector<ModemSettings> devices;
    std::vector<std::string> args;
    std::function<void(SimulatedModem&)> faults;
    std::string stopWhenStuckAt;
};

ModemSettings Model(ModemModel model) {
    return q470::sim::FactorySettings(model);
}

ModemSettings QuietQ470R() {
    ModemSettings settings;
    settings.quietMode = true;
    return settings;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string Visible(const std::string& bytes) {
    std::string shown;
    for (const char c : bytes) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else {
            shown += c;
        }
    }
    return shown;
}

bool StuckAt(const SimulatedModem& modem, const std::string& keyword) {
    const auto commands = modem.Commands();
    return !commands.empty() && commands.back().rfind(keyword, 0) == 0;
}

std::string Record(const Scenario& scenario, const std::string& dir) {
    std::vector<std::unique_ptr<SimulatedModem>> modems;
    std::map<std::string, std::string> names;
    for (std::size_t i = 0; i < scenario.devices.size(); ++i) {
        modems.push_back(std::make_unique<SimulatedModem>(scenario.devices[i]));
        std::string error;
        if (!modems.back()->Start(&error)) ADD_FAILURE() << error;
        if (scenario.faults) scenario.faults(*modems.back());
    }
    std::vector<std::string> args = scenario.args;
    for (auto& arg : args) {
        for (std::size_t i = 0; i < modems.size(); ++i)
            Replace(arg, "{port" + std::to_string(i) + "}", modems[i]->PortPath());
        Replace(arg, "{dir}", dir);
    }
    q470::test::CliRun run;
    if (scenario.stopWhenStuckAt.empty()) {
        run = q470::test::RunTool(args);
    } else {
        q470::StopRequest stop;
        q470::CliEnvironment environment;
        environment.stop = &stop;
        auto running = std::async(std::launch::async, [&] { return q470::test::RunTool(args, environment); });
        const auto guard = Clock::now() + std::chrono::seconds(10);
        while (!StuckAt(*modems.front(), scenario.stopWhenStuckAt) && Clock::now() < guard)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop.Request(SIGINT);
        run = running.get();
    }
    std::ostringstream shown;
    shown << "=== " << scenario.name << "\nstatus " << run.status << "\n";
    for (std::size_t i = 0; i < modems.size(); ++i) {
        shown << "--- device " << i << " received\n";
        for (const auto& command : modems[i]->Commands()) shown << Visible(command) << "\n";
    }
    std::string out = run.out;
    std::string err = run.err;
    for (std::size_t i = 0; i < modems.size(); ++i) {
        Replace(out, modems[i]->PortPath(), "{port" + std::to_string(i) + "}");
        Replace(err, modems[i]->PortPath(), "{port" + std::to_string(i) + "}");
    }
    // How long a device took to come back differs from run to run.
    out = std::regex_replace(out, std::regex(R"re("(elapsedMs|readyMs)": [0-9]+)re"), "\"$1\": N");
    Replace(out, dir, "{dir}");
    Replace(err, dir, "{dir}");
    // The files applied live in the checkout, wherever it is.
    Replace(out, Q470_TEST_DATA, "{data}");
    Replace(err, Q470_TEST_DATA, "{data}");
    shown << "--- stdout\n" << out << "--- stderr\n" << err;
    return shown.str();
}

std::vector<Scenario> Scenarios() {
    const std::string full = std::string(Q470_TEST_DATA) + "/config/q470r_full.json";
    const std::string ks410 = std::string(Q470_TEST_DATA) + "/config/ks410.json";
    const ModemSettings q470r;
    const ModemSettings ks4100 = Model(ModemModel::KS410);
    const ModemSettings ks400 = Model(ModemModel::KS400);
    auto slowAt = [](const char* keyword) {
        return [keyword](SimulatedModem& modem) {
            modem.SetPacing(true, 9600);
            modem.SetFault(keyword, CommandFault::Silent());
        };
    };
    auto fault = [](const char* keyword, CommandFault f) {
        return [keyword, f](SimulatedModem& modem) { modem.SetFault(keyword, f); };
    };
    CommandFault hangUp;
    hangUp.hangUp = true;
    std::vector<Scenario> all = {
        {"identify", {q470r}, {"-p", "{port0}", "identify"}, {}, {}},
        {"identify --json ks400", {ks400}, {"-p", "{port0}", "identify", "--json"}, {}, {}},
        {"read q470r", {q470r}, {"-p", "{port0}", "read"}, {}, {}},
        {"read quiet --json", {QuietQ470R()}, {"-p", "{port0}", "read", "--json"}, {}, {}},
        {"read ks410", {ks4100}, {"-p", "{port0}", "read"}, {}, {}},
        {"save ks400", {ks400}, {"-p", "{port0}", "save", "{dir}/ks400.json"}, {}, {}},
        {"save q470r --json", {q470r}, {"-p", "{port0}", "save", "{dir}/q470r.json", "--json"}, {}, {}},
        {"apply full q470r", {q470r}, {"-p", "{port0}", "apply", full}, {}, {}},
        {"apply full q470r --json", {QuietQ470R()}, {"-p", "{port0}", "apply", full, "--json"}, {}, {}},
        {"apply ks410", {ks4100}, {"-p", "{port0}", "apply", ks410, "--json"}, {}, {}},
        {"apply saved ks400", {ks400}, {"-p", "{port0}", "apply", "{dir}/ks400.json", "--verify"}, {}, {}},
        {"apply wrong model", {ks400}, {"-p", "{port0}", "apply", full}, {}, {}},
        {"apply --verify", {q470r}, {"-p", "{port0}", "apply", full, "--verify", "--json"}, {}, {}},
        {"set", {q470r}, {"-p", "{port0}", "set", "panid=4321", "channel=101", "quiet=0"}, {}, {}},
        {"set --json ks410", {ks4100}, {"-p", "{port0}", "set", "upanid=77", "--json"}, {}, {}},
        {"set --verify baud", {q470r}, {"-p", "{port0}", "set", "baud=115200", "--verify", "--json"}, {}, {}},
        {"set --restart", {q470r}, {"-p", "{port0}", "set", "channel=101", "--restart"}, {}, {}},
        {"set refused",
         {q470r},
         {"-p", "{port0}", "set", "channel=101", "--json"},
         fault("AT+RFCH=", CommandFault::Refused()),
         {}},
        {"set refused quiet",
         {QuietQ470R()},
         {"-p", "{port0}", "set", "mode=3"},
         fault("AT+OPMODE=", CommandFault::Refused()),
         {}},
        {"set outside the plan", {q470r}, {"-p", "{port0}", "set", "channel=1", "--json"}, {}, {}},
        {"set invalid", {q470r}, {"-p", "{port0}", "set", "panid=0", "--json"}, {}, {}},
        {"set assoc clear refused",
         {q470r},
         {"-p", "{port0}", "set", "panid=4321"},
         fault("AT+ASSOCCLR", CommandFault::Refused()),
         {}},
        {"set restart silent",
         {q470r},
         {"-p", "{port0}", "set", "channel=101", "--restart", "--json"},
         fault("ATZ", CommandFault::Silent()),
         {}},
        {"set --verify forgotten",
         {q470r},
         {"-p", "{port0}", "set", "channel=101", "--verify"},
         fault("AT+RFCH=", CommandFault::Forgotten()),
         {}},
        {"gpio",
         {q470r},
         {"-p", "{port0}", "gpio", "2=alt:push-pull", "5=output:high", "--interval", "1000", "--send-to-peer", "1",
          "--json"},
         {},
         {}},
        {"gpio --verify", {q470r}, {"-p", "{port0}", "gpio", "5=output:high", "--verify"}, {}, {}},
        {"gpio on ks", {ks4100}, {"-p", "{port0}", "gpio", "5=output:high"}, {}, {}},
        {"restart", {q470r}, {"-p", "{port0}", "restart", "--json"}, {}, {}},
        {"restart refused", {q470r}, {"-p", "{port0}", "restart"}, fault("ATZ", CommandFault::Refused()), {}},
        {"factory-reset", {ks400}, {"-p", "{port0}", "factory-reset"}, {}, {}},
        {"at", {q470r}, {"-p", "{port0}", "at", "AT+VER?", "--json"}, {}, {}},
        {"at refused", {q470r}, {"-p", "{port0}", "at", "AT+NOSUCH"}, {}, {}},
        {"at --identify quiet", {QuietQ470R()}, {"-p", "{port0}", "--identify", "at", "AT+VER?"}, {}, {}},
        {"discover", {ks4100}, {"-p", "{port0}", "discover", "--json"}, {}, {}},
        {"several ports", {q470r, ks400}, {"-p", "{port0}", "-p", "{port1}", "read", "--json"}, {}, {}},
        {"several ports apply", {q470r, QuietQ470R()}, {"-p", "{port0}", "-p", "{port1}", "apply", full}, {}, {}},
        {"no answer", {q470r}, {"-p", "{port0}", "identify"}, fault("AT+MODELNAME?", CommandFault::Silent()), {}},
        {"hang-up mid-apply", {q470r}, {"-p", "{port0}", "apply", full, "--json"}, fault("AT+RFCH=", hangUp), {}},
        {"hang-up mid-apply quiet", {QuietQ470R()}, {"-p", "{port0}", "apply", full}, fault("AT+UART=", hangUp), {}},
        {"refused mid-apply",
         {q470r},
         {"-p", "{port0}", "apply", full, "--json"},
         fault("AT+NETROLE=", CommandFault::Refused()),
         {}},
        {"interrupted apply",
         {q470r},
         {"-p", "{port0}", "apply", full, "--json"},
         slowAt("AT+NETROLE="),
         "AT+NETROLE="},
        {"interrupted quiet set",
         {QuietQ470R()},
         {"-p", "{port0}", "set", "channel=101"},
         slowAt("AT+RFCH="),
         "AT+RFCH="},
        {"interrupted read", {q470r}, {"-p", "{port0}", "read", "--json"}, slowAt("AT+GPIOC?"), "AT+GPIOC?"},
    };
    return all;
}

TEST(Q470ctlTranscript, EveryCommandSendsAndSaysWhatItDidBefore) {
    q470::test::TemporaryFolder folder;
    const std::string dir = folder.File("");
    std::string recorded;
    for (const auto& scenario : Scenarios()) recorded += Record(scenario, dir.substr(0, dir.size() - 1));
    const std::string golden = std::string(Q470_TEST_DATA) + "/cli/q470ctl_transcripts.txt";
    if (std::getenv("Q470_UPDATE_TRANSCRIPTS")) {
        std::ofstream(golden, std::ios::binary) << recorded;
        GTEST_SKIP() << "recorded " << golden;
    }
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << golden;
    std::ostringstream expected;
    expected << in.rdbuf();
    // Line by line, so that a difference names its place.
    std::istringstream want(expected.str());
    std::istringstream got(recorded);
    std::string wantLine;
    std::string gotLine;
    std::string scenario;
    for (int line = 1;; ++line) {
        const bool moreWanted = static_cast<bool>(std::getline(want, wantLine));
        const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
        if (!moreWanted && !moreGot) break;
        if (moreWanted && wantLine.rfind("=== ", 0) == 0) scenario = wantLine;
        ASSERT_EQ(moreWanted ? wantLine : "<end>", moreGot ? gotLine : "<end>") << scenario << ", line " << line;
    }
}

}  // namespace
