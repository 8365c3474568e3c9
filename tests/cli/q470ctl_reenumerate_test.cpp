// set --verify against a modem with its own USB port: the port goes with the restart and comes back
// under the same name, under another one found through its stable link, or not at all.

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

// As text: the name the device was found under after its restart.
TEST(CliReenumeration, TheTextSaysWhereTheDeviceCameBack) {
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
    const CliRun run = RunTool({"-p", kernelLink, "set", "channel=102", "--verify"}, environment);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "the device's port came back after the restart as " + stableLink)) << run.out;
}

}  // namespace
}  // namespace q470::test
