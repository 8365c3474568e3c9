// The q470ctl executable applying configuration files to a simulated modem over a pseudo-terminal:
// a file with any value its member may not hold is refused whole, with status 4 and a message that
// names the member, its value and what is allowed, and the device receives no setting at all.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(20);

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun RunQ470ctl(const std::vector<std::string>& args) {
    ChildProcess tool(Q470CTL_EXECUTABLE, args);
    ToolRun run;
    run.out = tool.Output();
    run.err = tool.Errors();
    run.status = tool.Wait(kGenerous);
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every member of the Q470R form with a value it may not hold, next to a valid operation mode that must
// not go out either. `afterRead`: only the device's read tells (its channel plan).
struct Refusal {
    const char* member;
    std::string general;  // members of "General"
    std::string gpios;    // members of "GPIOs"
    std::string named;    // what the message must say
    bool afterRead = false;
};

const Refusal kRefusals[] = {
    {"Operation Mode", R"("Operation Mode": 5)", "",
     "General/Operation Mode: 5 is not allowed (allowed: 1 to 4)."},
    {"Network Role", R"("Network Role": 3)", "", "General/Network Role: 3 is not allowed (allowed: 1 to 2)."},
    {"PAN ID", R"("PAN ID": 70196)", "", "General/PAN ID: 70196 is not allowed (allowed: 1 to 65533)."},
    {"RF Channel beyond every plan", R"("RF Channel": -1)", "",
     "General/RF Channel: -1 is not allowed (allowed: 46 to 51, 93 to 105)."},
    {"RF Channel of another plan", R"("RF Channel": 50)", "",
     "General/RF Channel: 50 is not allowed (allowed: 99 to 105, the channels of PHY ID 12).", true},
    {"UART Baudrate", R"("UART": {"Baudrate": 12345, "Parity": 0, "Stopbit": 0, "Databit": 8})", "",
     "General/UART/Baudrate: 12345 is not allowed (allowed: 2400, 4800, 9600, 14400, 19200, 38400, 57600, "
     "115200, 230400)."},
    {"UART Parity", R"("UART": {"Baudrate": 9600, "Parity": 3, "Stopbit": 0, "Databit": 8})", "",
     "General/UART/Parity: 3 is not allowed (allowed: 0 to 2)."},
    {"UART Stopbit", R"("UART": {"Baudrate": 9600, "Parity": 0, "Stopbit": 7, "Databit": 8})", "",
     "General/UART/Stopbit: 7 is not allowed (allowed: 0 to 1)."},
    {"UART Databit", R"("UART": {"Baudrate": 9600, "Parity": 0, "Stopbit": 0, "Databit": 5})", "",
     "General/UART/Databit: 5 is not allowed (allowed: 7 to 8)."},
    {"Num", "", R"("Configs": [{"Num": 33, "IoMode": 1, "Config": 1}])",
     "GPIOs/Configs[0]/Num: 33 is not allowed (allowed: 0 to 12)."},
    {"IoMode", "", R"("Configs": [{"Num": 7, "IoMode": 2, "Config": 0}])",
     "GPIOs/Configs[0]/IoMode: 2 is not allowed (allowed: 0 to 1, the modes of pin 7)."},
    {"Config", "", R"("Configs": [{"Num": 5, "IoMode": 1, "Config": 2}])",
     "GPIOs/Configs[0]/Config: 2 is not allowed (allowed: 0 to 1, the values on pin 5 in mode 1)."},
    {"Report Interval", "", R"("Periodic Report": {"Report Interval": 500, "Send Remote": true})",
     "GPIOs/Periodic Report/Report Interval: 500 is not allowed (allowed: 0, 1000 to 2147483647)."},
};

std::string FileOf(const Refusal& refusal) {
    std::string general = R"("Operation Mode": 3)";
    if (!refusal.general.empty()) general = refusal.general + ", " + general;
    std::string json = R"({"Model Name": "Q470R", "General": {)" + general + "}";
    if (!refusal.gpios.empty()) json += R"(, "GPIOs": {)" + refusal.gpios + "}";
    return json + "}";
}

TEST(Q470ctlFileCheck, AFileWithAnyValueItsMemberMayNotHoldSendsNothing) {
    CliRig rig;
    TemporaryFolder folder;
    for (const auto& refusal : kRefusals) {
        SCOPED_TRACE(refusal.member);
        const std::string file = folder.File("refused.json");
        WriteFile(file, FileOf(refusal));
        const ToolRun run = RunQ470ctl({"-p", rig.Port(), "apply", file});
        EXPECT_EQ(run.status, 4) << run.err;
        EXPECT_TRUE(Contains(run.err, "Failed to load configuation file.")) << run.err;
        EXPECT_TRUE(Contains(run.err, refusal.named)) << run.err;
        EXPECT_EQ(run.out, "");
        // Checks that need the device come right after its read, before any setting is written.
        const auto sent = refusal.afterRead ? Joined({IdentifyCommands(), ReadQ470RCommands()})
                                            : std::vector<std::string>{};
        EXPECT_EQ(rig.TakeCommands(), sent);
    }
    EXPECT_EQ(rig.modem.Settings().opMode, 2) << "the device kept its operation mode";
}

TEST(Q470ctlFileCheck, TheMessageFollowsTheLanguage) {
    CliRig rig;
    TemporaryFolder folder;
    const std::string file = folder.File("refused.json");
    WriteFile(file, FileOf(kRefusals[2]));
    ::setenv("Q470_LANG", "ko", 1);
    const ToolRun run = RunQ470ctl({"-p", rig.Port(), "apply", file, "--json"});
    ::unsetenv("Q470_LANG");
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(Contains(run.err, "설정 파일을 읽어 들이는데 실패하였습니다.")) << run.err;
    EXPECT_TRUE(Contains(run.err, "General/PAN ID: 70196은(는) 쓸 수 없는 값입니다(허용: 1~65533).")) << run.err;
    const auto json = ParseJson(run.out);
    EXPECT_STREQ(json["problems"][0]["allowed"].GetString(), "1~65533");
    EXPECT_TRUE(rig.TakeCommands().empty());
}

// A file the tool saved goes back unchanged; a misspelt member is warned about while the rest goes.
TEST(Q470ctlFileCheck, SavedFilesApplyAndMisspeltMembersAreNamed) {
    CliRig rig;
    TemporaryFolder folder;
    const std::string saved = folder.File("saved.json");
    ASSERT_EQ(RunQ470ctl({"-p", rig.Port(), "save", saved}).status, 0);
    rig.TakeCommands();
    const ToolRun applied = RunQ470ctl({"-p", rig.Port(), "apply", saved});
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(applied.err, "");
    EXPECT_TRUE(Contains(applied.out, "AT commands sent: 20")) << applied.out;

    const std::string typo = folder.File("typo.json");
    WriteFile(typo, R"({"General": {"PanID": 4660, "Operation Mode": 3}})");
    rig.TakeCommands();
    const ToolRun run = RunQ470ctl({"-p", rig.Port(), "apply", typo});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "warning: General/PanID: unknown member, not read. (did you mean \"PAN ID\"?)"))
        << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands(), {"AT+OPMODE=3\r", "ATZ\r"}}));
}

}  // namespace
}  // namespace q470::test
