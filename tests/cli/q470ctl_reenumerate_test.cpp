// A modem with its own USB port restarted by set --verify, --restart and restart: the port goes with the
// restart and comes back under the same name, under another one found through its stable link, or not
// at all.

#include <gtest/gtest.h>

#include <chrono>

#include "cli_rig.h"
#include "report_schema.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

using sim::ReturnName;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliReenumeration, VerifyFindsThePortWhereverItCameBack) {
    struct Case {
        const char* name;
        ReturnName returnName;
        int status;
        const char* outcome;
        bool byStableLink;  // found again through the stable link, not the name it was opened with
    };
    const Case cases[] = {
        {"same name", ReturnName::Same, 0, "verified", false},
        {"another name", ReturnName::Other, 0, "verified", true},
        {"never back", ReturnName::Never, 1, "not-back", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string kernelLink = folder.Path("ttyACM0");
        const std::string stableLink = folder.Path("by-id/usb-Brevint_Q470R_0001-if00");
        sim::SimulatedModem modem{sim::ModemSettings{}};
        modem.SetLinks(stableLink, kernelLink);
        modem.SetReenumeration({true, c.returnName, std::chrono::milliseconds(150)});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;

        CliEnvironment environment;
        environment.linkFolders = std::vector<std::string>{folder.Path("by-id")};
        const auto start = std::chrono::steady_clock::now();
        const CliRun json = RunTool({"-p", kernelLink, "--json", "set", "channel=101", "--verify"}, environment);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(json.status, c.status) << json.out << json.err;
        EXPECT_EQ(ReportShapeProblem(json.out), "");
        const auto document = ParseJson(json.out);
        const auto& port = PortRecord(document);
        const auto& verify = port["verify"];
        EXPECT_STREQ(verify["outcome"].GetString(), c.outcome);
        if (c.status == 0) {
            ASSERT_TRUE(verify["foundAs"].IsString());
            EXPECT_EQ(verify["foundAs"].GetString(), c.byStableLink ? stableLink : kernelLink);
            EXPECT_EQ(verify["settings"][3]["readBack"].GetString(), std::string("101"));
            EXPECT_EQ(modem.Settings().rfChannel, 101);
        } else {
            // Nothing was read back: no setting is reported as matching.
            EXPECT_FALSE(verify["ok"].GetBool());
            EXPECT_TRUE(verify["foundAs"].IsNull());
            for (const auto& setting : verify["settings"].GetArray()) EXPECT_TRUE(setting["matches"].IsNull());
            EXPECT_STREQ(port["outcome"].GetString(), "disconnected");
            EXPECT_TRUE(Contains(port["message"].GetString(), "did not come back within 5000 ms"))
                << port["message"].GetString();
            // It gave up at the end of the restart budget, not long after.
            EXPECT_LT(took, std::chrono::seconds(8));
        }
    }
}

// A restart without a read-back waits for the port too, and says where the device came back; a port
// that stays is not waited for.
TEST(CliReenumeration, ARestartWithoutVerifyWaitsForThePortAndSaysWhereItCameBack) {
    struct Case {
        const char* name;
        std::vector<std::string> command;
        bool reenumerates;
        ReturnName returnName;
        int status;
        const char* cameBackAs;  // "kernel", "stable" or nullptr
    };
    const Case cases[] = {
        {"set --restart, same name", {"set", "channel=101", "--restart"}, true, ReturnName::Same, 0, "kernel"},
        {"gpio --restart, another name", {"gpio", "5=output:high", "--restart"}, true, ReturnName::Other, 0, "stable"},
        {"apply of a saved file, same name", {"apply", "{saved}"}, true, ReturnName::Same, 0, "kernel"},
        {"restart, another name", {"restart"}, true, ReturnName::Other, 0, "stable"},
        {"restart, port stays", {"restart"}, false, ReturnName::Same, 0, nullptr},
        {"restart, never back", {"restart"}, true, ReturnName::Never, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string kernelLink = folder.Path("ttyACM0");
        const std::string stableLink = folder.Path("by-id/usb-Brevint_Q470R_0001-if00");
        sim::SimulatedModem modem{sim::ModemSettings{}};
        modem.SetLinks(stableLink, kernelLink);
        if (c.reenumerates) modem.SetReenumeration({true, c.returnName, std::chrono::milliseconds(150)});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;

        CliEnvironment environment;
        environment.linkFolders = std::vector<std::string>{folder.Path("by-id")};
        std::vector<std::string> args{"-p", kernelLink, "--json"};
        args.insert(args.end(), c.command.begin(), c.command.end());
        for (auto& arg : args) {
            if (arg != "{saved}") continue;
            // What the device holds, saved before: the apply writes it back and restarts the device.
            arg = folder.Path("saved.json");
            const CliRun saved = RunTool({"-p", kernelLink, "save", arg}, environment);
            ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
        }
        const auto start = std::chrono::steady_clock::now();
        const CliRun json = RunTool(args, environment);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(json.status, c.status) << json.out << json.err;
        EXPECT_EQ(ReportShapeProblem(json.out), "");
        const auto document = ParseJson(json.out);
        const auto& port = PortRecord(document);
        EXPECT_TRUE(port["restarted"].GetBool());
        if (c.cameBackAs) {
            ASSERT_TRUE(port["cameBackAs"].IsString()) << json.out;
            EXPECT_EQ(port["cameBackAs"].GetString(), std::string(c.cameBackAs) == "stable" ? stableLink : kernelLink);
        } else {
            EXPECT_TRUE(port["cameBackAs"].IsNull()) << json.out;
        }
        if (c.status != 0) {
            EXPECT_STREQ(port["outcome"].GetString(), "disconnected");
            EXPECT_TRUE(Contains(port["message"].GetString(), "did not come back within 5000 ms"))
                << port["message"].GetString();
            EXPECT_LT(took, std::chrono::seconds(8));
        } else if (!c.reenumerates) {
            // A device whose port stays is not waited for beyond its announcement.
            EXPECT_LT(took, std::chrono::seconds(2));
        }
    }
}

// As text: the name the device was found under after its restart, with and without a read-back.
TEST(CliReenumeration, TheTextSaysWhereTheDeviceCameBack) {
    for (const char* flag : {"--verify", "--restart"}) {
        SCOPED_TRACE(flag);
        TempFolder folder;
        const std::string kernelLink = folder.Path("ttyACM0");
        const std::string stableLink = folder.Path("by-path/pci-0000:00:14.0-usb-0:2:1.0");
        sim::SimulatedModem modem{sim::ModemSettings{}};
        modem.SetLinks(stableLink, kernelLink);
        modem.SetReenumeration({true, ReturnName::Other, std::chrono::milliseconds(150)});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;

        CliEnvironment environment;
        environment.linkFolders = std::vector<std::string>{folder.Path("by-id"), folder.Path("by-path")};
        const CliRun run = RunTool({"-p", kernelLink, "set", "channel=102", flag}, environment);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_TRUE(Contains(run.out, "the device's port came back after the restart as " + stableLink)) << run.out;
    }
}

}  // namespace
}  // namespace q470::test
