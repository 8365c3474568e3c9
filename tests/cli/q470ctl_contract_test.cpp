// The --json contract of q470ctl, through the executable: every command, with one port and with two, in
// success and in each class of failure, prints one JSON document of the documented shape on standard
// output, with the exit status and the outcome words that class has.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "q470comm.h"
#include "report_schema.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(30);
constexpr const char* kMissingPort = "/dev/q470-no-such-port-";

using Setup = std::function<void(sim::SimulatedModem&)>;

struct ContractCase {
    const char* name;
    std::vector<std::string> args;  // {dir} stands for a folder of the case's own
    int status;
    const char* outcome;  // of the run and of every port
    bool reachesPorts = true;
    sim::ModemModel model = sim::ModemModel::Q470R;
    Setup setup = {};
    bool missingPorts = false;  // ports that do not exist instead of simulated devices
    bool busyPorts = false;     // another program holds every port
};

Setup Fault(const std::string& keyword, const sim::CommandFault& fault) {
    return [=](sim::SimulatedModem& modem) { modem.SetFault(keyword, fault); };
}

Setup Silent() {
    return [](sim::SimulatedModem& modem) {
        modem.SetFaultPolicy([](const std::string&) { return sim::CommandFault::Silent(); });
    };
}

Setup HangUp(const std::string& keyword) {
    sim::CommandFault fault;
    fault.hangUp = true;
    return Fault(keyword, fault);
}

Setup Model(const std::string& name) {
    return
        [=](sim::SimulatedModem& modem) { modem.UpdateSettings([&](sim::ModemSettings& s) { s.modelName = name; }); };
}

Setup Firmware(const std::string& text) {
    return [=](sim::SimulatedModem& modem) { modem.UpdateSettings([&](sim::ModemSettings& s) { s.firmware = text; }); };
}

const char* const kQ470RFile = R"({"Model Name": "Q470R", "General": {"Operation Mode": 3, "PAN ID": 4321}})";

void WriteCaseFiles(const TemporaryFolder& folder) {
    WriteFile(folder.File("q470r.json"), kQ470RFile);
    WriteFile(folder.File("ks410.json"), R"({"Model Name": "KELDAN-KS410", "General": {"Operation Mode": 3}})");
    WriteFile(folder.File("array.json"), "[1, 2]");
    WriteFile(folder.File("nothing.json"), R"({"General": {"PanID": 1}})");
    WriteFile(folder.File("refused.json"), R"({"General": {"Operation Mode": 3, "PAN ID": 70196}})");
    WriteFile(folder.File("channel50.json"), R"({"General": {"Operation Mode": 3, "RF Channel": 50}})");
}

const ContractCase kCases[] = {
    // Success.
    {"identify", {"identify"}, 0, "ok"},
    {"read", {"read"}, 0, "ok"},
    {"read a KELDAN", {"read"}, 0, "ok", true, sim::ModemModel::KS410},
    {"save", {"save", "{dir}/{port}.json"}, 0, "ok"},
    {"save a name that is not UTF-8", {"save", "{dir}/caf\xE9-{port}.json"}, 0, "ok"},
    {"apply", {"apply", "{dir}/q470r.json"}, 0, "ok"},
    {"set", {"set", "mode=multi", "quiet=false"}, 0, "ok"},
    {"gpio", {"gpio", "5=output:high", "--send-to-peer", "true"}, 0, "ok"},
    {"set and verify", {"set", "channel=101", "--verify"}, 0, "ok"},
    {"gpio and restart", {"gpio", "5=output:high", "--restart"}, 0, "ok"},
    {"apply and verify", {"apply", "{dir}/q470r.json", "--verify"}, 0, "ok"},
    {"restart", {"restart"}, 0, "ok"},
    {"factory-reset", {"factory-reset"}, 0, "ok"},
    {"discover", {"discover"}, 0, "ok", true, sim::ModemModel::KS410},
    {"at", {"at", "AT+VER?"}, 0, "ok"},
    {"at with a byte that is not UTF-8",
     {"at", "AT+VER?"},
     0,
     "ok",
     true,
     sim::ModemModel::Q470R,
     Firmware("1.5.0\xE9")},
    // The command line: nothing opens.
    {"set with an unknown key", {"set", "volume=3"}, 2, "usage", false},
    {"gpio with a pin beyond 12", {"gpio", "13=input"}, 2, "usage", false},
    {"at with a tab", {"at", "AT\tX"}, 2, "usage", false},
    {"read with an argument", {"read", "extra"}, 2, "usage", false},
    {"save to standard output with --json", {"save", "-"}, 2, "usage", false},
    {"an unknown option", {"read", "--frobnicate"}, 2, "usage", false},
    // What only the device tells.
    {"set a key of another model", {"set", "panid=5"}, 2, "not-for-model", true, sim::ModemModel::KS410},
    {"gpio on a KELDAN", {"gpio", "1=output"}, 2, "not-for-model", true, sim::ModemModel::KS410},
    {"set a channel of another plan", {"set", "channel=50"}, 2, "invalid-setting"},
    // The port.
    {"read a missing port", {"read"}, 3, "no-such-port", true, sim::ModemModel::Q470R, {}, true},
    {"apply to a missing port",
     {"apply", "{dir}/q470r.json"},
     3,
     "no-such-port",
     true,
     sim::ModemModel::Q470R,
     {},
     true},
    {"read a busy port", {"read"}, 3, "port-busy", true, sim::ModemModel::Q470R, {}, false, true},
    {"discover a missing port", {"discover"}, 3, "no-such-port", true, sim::ModemModel::Q470R, {}, true},
    // The device.
    {"identify an unknown model", {"identify"}, 1, "unknown-model", true, sim::ModemModel::Q470R, Model("Q470X")},
    {"read a silent device", {"read"}, 1, "no-answer", true, sim::ModemModel::Q470R, Silent()},
    {"set refused",
     {"set", "mode=multi"},
     1,
     "refused",
     true,
     sim::ModemModel::Q470R,
     Fault("AT+OPMODE=", sim::CommandFault::Refused())},
    {"gpio refused",
     {"gpio", "5=output:high"},
     1,
     "refused",
     true,
     sim::ModemModel::Q470R,
     Fault("AT+GPIOC=", sim::CommandFault::Refused())},
    {"apply refused",
     {"apply", "{dir}/q470r.json"},
     1,
     "refused",
     true,
     sim::ModemModel::Q470R,
     Fault("AT+PANID=", sim::CommandFault::Refused())},
    {"at refused", {"at", "AT+FOO=1"}, 1, "refused"},
    {"at unanswered",
     {"at", "AT+VER?", "--timeout", "300"},
     1,
     "no-answer",
     true,
     sim::ModemModel::Q470R,
     Fault("AT+VER?", sim::CommandFault::Silent())},
    {"read cut off", {"read"}, 1, "disconnected", true, sim::ModemModel::Q470R, HangUp("AT+GPIOC?")},
    {"set, the device forgets",
     {"set", "channel=101", "--verify"},
     1,
     "not-as-written",
     true,
     sim::ModemModel::Q470R,
     Fault("AT+RFCH=", sim::CommandFault::Forgotten())},
    {"discover a silent device", {"discover"}, 1, "no-answer", true, sim::ModemModel::Q470R, Silent()},
    {"restart cut off", {"restart"}, 1, "disconnected", true, sim::ModemModel::Q470R, HangUp("ATZ")},
    // Files.
    {"apply a missing file", {"apply", "{dir}/missing.json"}, 4, "file-unreadable", false},
    {"apply a folder", {"apply", "{dir}"}, 4, "file-unreadable", false},
    {"apply an array", {"apply", "{dir}/array.json"}, 4, "file-invalid", false},
    {"apply a file without settings", {"apply", "{dir}/nothing.json"}, 4, "file-no-settings", false},
    {"apply a value its member may not hold", {"apply", "{dir}/refused.json"}, 4, "file-refused", false},
    {"apply another model's file", {"apply", "{dir}/ks410.json"}, 4, "file-wrong-model"},
    {"apply a channel of another plan", {"apply", "{dir}/channel50.json"}, 4, "file-refused"},
    {"save into a missing folder", {"save", "{dir}/missing/{port}.json"}, 4, "file-not-written"},
};

std::string Filled(std::string text, const std::string& dir) {
    for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}")) text.replace(at, 5, dir);
    return text;
}

void PrintTo(const ContractCase& c, std::ostream* os) {
    *os << c.name;
}

class Q470ctlContract : public testing::TestWithParam<ContractCase> {};

TEST_P(Q470ctlContract, OneDocumentOfTheDocumentedShape) {
    const ContractCase& c = GetParam();
    for (const int portCount : {1, 2}) {
        SCOPED_TRACE(std::to_string(portCount) + " port(s)");
        TemporaryFolder folder;
        WriteCaseFiles(folder);
        std::vector<std::unique_ptr<CliRig>> rigs;
        std::vector<std::unique_ptr<Q470Comm>> holders;
        std::vector<std::string> ports;
        for (int i = 0; i < portCount; ++i) {
            if (c.missingPorts) {
                ports.push_back(kMissingPort + std::to_string(i));
                continue;
            }
            rigs.push_back(std::make_unique<CliRig>(sim::FactorySettings(c.model)));
            if (c.setup) c.setup(rigs.back()->modem);
            ports.push_back(rigs.back()->Port());
            if (c.busyPorts) {
                holders.push_back(std::make_unique<Q470Comm>());
                ASSERT_FALSE(holders.back()->Open(ports.back(), 9600, 8, 0, 0));
            }
        }
        std::vector<std::string> args;
        for (const auto& port : ports) args.insert(args.end(), {"-p", port});
        for (const auto& arg : c.args) args.push_back(Filled(arg, folder.File("")));
        args.push_back("--json");

        ChildProcess tool(Q470CTL_EXECUTABLE, args);
        const std::string out = tool.Output();
        const std::string err = tool.Errors();
        EXPECT_EQ(tool.Wait(kGenerous), c.status) << err;
        ASSERT_EQ(ReportShapeProblem(out), "") << err;

        const auto document = ParseJson(out);
        EXPECT_STREQ(document["outcome"].GetString(), c.outcome);
        EXPECT_EQ(document["exitStatus"].GetInt(), c.status);
        const rapidjson::SizeType records = c.reachesPorts ? static_cast<rapidjson::SizeType>(portCount) : 0;
        ASSERT_EQ(document["ports"].Size(), records);
        for (rapidjson::SizeType i = 0; i < records; ++i) {
            const auto& record = PortRecord(document, i);
            EXPECT_EQ(record["port"].GetString(), ports[i]);
            EXPECT_STREQ(record["outcome"].GetString(), c.outcome);
            EXPECT_EQ(record["exitStatus"].GetInt(), c.status);
            EXPECT_EQ(record["ok"].GetBool(), c.status == 0);
        }
        if (!c.reachesPorts) {
            EXPECT_NE(document["message"].GetString(), std::string()) << "the reason is named";
        }
        // A human reads standard error: every failure is told there too.
        if (c.status != 0) {
            EXPECT_NE(err, "");
        }
    }
}

std::string CaseName(const testing::TestParamInfo<ContractCase>& info) {
    std::string name;
    for (const char* p = info.param.name; *p != '\0'; ++p) {
        const char c = *p;
        name += (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryCommandAndFailure, Q470ctlContract, testing::ValuesIn(kCases), CaseName);

// The list of ports has no device behind it and no port of its own.
TEST(Q470ctlContractPorts, PortsIsADocumentToo) {
    ChildProcess tool(Q470CTL_EXECUTABLE, {"ports", "--json"});
    const std::string out = tool.Output();
    EXPECT_EQ(tool.Wait(kGenerous), 0);
    ASSERT_EQ(ReportShapeProblem(out), "");
    EXPECT_STREQ(ParseJson(out)["command"].GetString(), "ports");
}

// A device's bytes, a file name's bytes: escaped, never raw, so that the document stays UTF-8.
TEST(Q470ctlContractText, BytesThatAreNotUtf8AreEscaped) {
    CliRig rig(Q470RFirmware("1.5.0\xE9"));
    TemporaryFolder folder;
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", rig.Port(), "at", "AT+VER?", "--json"});
    const std::string out = tool.Output();
    ASSERT_EQ(tool.Wait(kGenerous), 0);
    ASSERT_EQ(ReportShapeProblem(out), "");
    EXPECT_STREQ(PortRecord(ParseJson(out))["lines"][0].GetString(), "+VER,1.5.0\\xE9");

    const std::string file = folder.File("caf\xE9.json");
    ChildProcess save(Q470CTL_EXECUTABLE, {"-p", rig.Port(), "save", file, "--json"});
    const std::string saved = save.Output();
    ASSERT_EQ(save.Wait(kGenerous), 0);
    ASSERT_EQ(ReportShapeProblem(saved), "");
    EXPECT_EQ(PortRecord(ParseJson(saved))["file"].GetString(), folder.File("caf\\xE9.json"));
}

}  // namespace
}  // namespace q470::test
