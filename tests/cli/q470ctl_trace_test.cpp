// q470ctl --trace and --trace-file as a process against simulated modems: every line sent and received,
// in order, escaped, with the port when there are several.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(20);

// The trace's lines without their times; false when a line does not start with one.
bool WithoutTimes(const std::string& trace, std::vector<std::string>& lines) {
    static const std::regex kLine(R"( *[0-9]+\.[0-9]{3} (.*))");
    std::istringstream stream(trace);
    for (std::string line; std::getline(stream, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, kLine)) return false;
        lines.push_back(match[1]);
    }
    return true;
}

TEST(Q470ctlTrace, ShowsEveryLineSentAndReceivedInOrderEscaped) {
    sim::ModemSettings settings;
    settings.firmware = "1.5.0\xE9";  // a byte a wrong line rate could bring
    sim::SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", modem.PortPath(), "--trace", "at", "AT+VER?"});
    ASSERT_EQ(tool.Wait(kGenerous), 0) << tool.Errors();
    std::vector<std::string> lines;
    const std::string trace = tool.Errors();
    ASSERT_TRUE(WithoutTimes(trace, lines)) << trace;
    const std::vector<std::string> expected = {
        "> AT\\r",
        "< \\r\\nOK\\r\\n",
        "> AT+QM?\\r",
        "< \\r\\n+QM,0\\r\\n",
        "< \\r\\nOK\\r\\n",
        "> AT+MODELNAME?\\r",
        "< \\r\\n+MODELNAME,Q470R\\r\\n",
        "< \\r\\nOK\\r\\n",
        "> AT+VER?\\r",
        "< \\r\\n+VER,1.5.0\\xE9\\r\\n",
        "< \\r\\nOK\\r\\n",
    };
    EXPECT_EQ(lines, expected) << trace;
    // The device's bytes as the trace shows them: never raw on the output.
    EXPECT_EQ(tool.Output(), "+VER,1.5.0\\xE9\nOK\n");
}

// Bytes that never became a line are shown when the command gives up, marked.
TEST(Q470ctlTrace, MarksAPartialAnswerAtTheTimeOut) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    sim::CommandFault cut;
    cut.splitAt = {8};
    cut.splitPause = std::chrono::milliseconds(2000);
    modem.SetFault("AT+VER?", cut);
    ChildProcess tool(Q470CTL_EXECUTABLE,
                      {"-p", modem.PortPath(), "--trace", "at", "--no-identify", "AT+VER?", "--timeout", "300"});
    EXPECT_EQ(tool.Wait(kGenerous), 1);
    std::vector<std::string> lines;
    const std::string trace = tool.Errors();
    WithoutTimes(trace.substr(0, trace.find("q470ctl:")), lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"> AT+VER?\\r", "<~ +VER,1"})) << trace;
}

TEST(Q470ctlTrace, SeveralPortsNameTheirPortAndAFileIsAppendedTo) {
    sim::SimulatedModem first({});
    sim::SimulatedModem second({});
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    TemporaryFolder folder;
    const std::string file = folder.File("trace.txt");
    WriteFile(file, "kept\n");
    for (int run = 0; run < 2; ++run) {
        ChildProcess tool(Q470CTL_EXECUTABLE,
                          {"-p", first.PortPath(), "-p", second.PortPath(), "--trace-file", file, "identify"});
        ASSERT_EQ(tool.Wait(kGenerous), 0) << tool.Errors();
        EXPECT_EQ(tool.Errors(), "");
    }
    std::ifstream stream(file);
    std::string kept;
    std::getline(stream, kept);
    EXPECT_EQ(kept, "kept");
    std::size_t firstLines = 0;
    std::size_t secondLines = 0;
    for (std::string line; std::getline(stream, line);) {
        if (line.find(" " + first.PortPath() + " ") != std::string::npos) ++firstLines;
        if (line.find(" " + second.PortPath() + " ") != std::string::npos) ++secondLines;
    }
    // Seven lines an identify and the final OK of its last query, which the tool waits for; twice.
    EXPECT_EQ(firstLines, 2 * 8u);
    EXPECT_EQ(secondLines, 2 * 8u);

    ChildProcess unwritable(Q470CTL_EXECUTABLE,
                            {"-p", first.PortPath(), "--trace-file", folder.File("no/such/folder"), "identify"});
    EXPECT_EQ(unwritable.Wait(kGenerous), 4);
    EXPECT_NE(unwritable.Errors().find("cannot open the trace file"), std::string::npos);
}

}  // namespace
}  // namespace q470::test
