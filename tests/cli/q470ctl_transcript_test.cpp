// Every command of q470ctl against simulated modems, held against a recorded transcript: the bytes each
// device received, the tool's standard output and error, and its exit status. Anything that changes
// what goes on the wire or what the tool says shows up here as a difference.
//
// Q470_UPDATE_TRANSCRIPTS=1 writes the recording anew (after a change that is meant to show).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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

std::string GoldenFile() {
    return std::string(Q470_TEST_DATA) + "/cli/q470ctl_transcripts.txt";
}

bool Updating() {
    return std::getenv("Q470_UPDATE_TRANSCRIPTS") != nullptr;
}

std::string TempDir(const q470::test::TemporaryFolder& folder) {
    const std::string dir = folder.File("");
    return dir.substr(0, dir.size() - 1);
}

// The recorded lines of one scenario: from its "=== name" line up to the next scenario's.
std::vector<std::string> GoldenBlock(const std::string& name) {
    std::ifstream in(GoldenFile(), std::ios::binary);
    std::vector<std::string> block;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("=== ", 0) == 0) {
            if (inside) break;
            inside = line == "=== " + name;
        }
        if (inside) block.push_back(line);
    }
    return block;
}

// Each scenario is a test of its own, so that they can run side by side.
class Q470ctlTranscript : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Q470ctlTranscript, SendsAndSaysWhatItDidBefore) {
    if (Updating()) GTEST_SKIP() << "recording anew";
    const std::vector<Scenario> all = Scenarios();
    const Scenario& scenario = all.at(GetParam());
    q470::test::TemporaryFolder folder;
    // A file a scenario reads in {dir} is the one an earlier scenario saved there.
    for (std::size_t i = 0; i < GetParam(); ++i) {
        const auto& args = all[i].args;
        const bool saves = std::find(args.begin(), args.end(), "save") != args.end();
        const auto reads = [&scenario](const std::string& arg) {
            return arg.rfind("{dir}", 0) == 0 &&
                   std::find(scenario.args.begin(), scenario.args.end(), arg) != scenario.args.end();
        };
        if (saves && std::any_of(args.begin(), args.end(), reads)) Record(all[i], TempDir(folder));
    }
    const std::string recorded = Record(scenario, TempDir(folder));
    const std::vector<std::string> want = GoldenBlock(scenario.name);
    ASSERT_FALSE(want.empty()) << scenario.name << " is not in " << GoldenFile();
    // Line by line, so that a difference names its place.
    std::istringstream got(recorded);
    std::string gotLine;
    for (std::size_t line = 0;; ++line) {
        const bool moreWanted = line < want.size();
        const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
        if (!moreWanted && !moreGot) break;
        ASSERT_EQ(moreWanted ? want[line] : "<end>", moreGot ? gotLine : "<end>")
            << scenario.name << ", line " << line + 1;
    }
}

// The index and the scenario's name in ASCII letters and digits, words joined by "_".
std::string ScenarioTestName(const ::testing::TestParamInfo<std::size_t>& info) {
    std::string name = std::to_string(info.param) + "_";
    const Scenario scenario = Scenarios().at(info.param);
    for (const char c : scenario.name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && std::isalnum(byte)) {
            name += c;
        } else if (name.back() != '_') {
            name += '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, Q470ctlTranscript, ::testing::Range<std::size_t>(0, Scenarios().size()),
                         ScenarioTestName);

// Q470_UPDATE_TRANSCRIPTS=1: every scenario once more, written as the new recording.
TEST(Q470ctlTranscriptRecording, WritesEveryScenarioAnew) {
    if (!Updating()) GTEST_SKIP() << "set Q470_UPDATE_TRANSCRIPTS=1 to record anew";
    q470::test::TemporaryFolder folder;
    std::string recorded;
    for (const auto& scenario : Scenarios()) recorded += Record(scenario, TempDir(folder));
    std::ofstream(GoldenFile(), std::ios::binary) << recorded;
}

}  // namespace
