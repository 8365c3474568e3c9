// q470ctl's files as a shell uses them: standard input and output by "-", pipes, process substitution,
// named pipes, a redirected standard output that keeps what was written before, and file names that
// are bytes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "report_schema.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kGenerous = std::chrono::seconds(20);
const std::string kFile = R"({"Model Name": "Q470R", "General": {"Operation Mode": 3, "PAN ID": 4321}})";

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

int RunShell(const std::string& script, std::string* out = nullptr) {
    ChildProcess shell("/bin/bash", {"-c", script});
    const std::string output = shell.Output();
    if (out) *out = output;
    return shell.Wait(kGenerous);
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Applied(const CliRig& rig) {
    const auto settings = rig.modem.Settings();
    return settings.opMode == 3 && settings.panId == 4321;
}

// However the file comes, it is read once and every port gets the same bytes.
TEST(Q470ctlStreams, ApplyReadsStandardInputAPipeOrAProcessSubstitutionOnceForEveryPort) {
    const std::string tool = Q470CTL_EXECUTABLE;
    const std::vector<std::string> ways = {
        "printf '%s' " + Quoted(kFile) + " | " + tool + " PORTS apply - --json",
        "printf '%s' " + Quoted(kFile) + " | " + tool + " PORTS apply /dev/stdin --json",
        tool + " PORTS apply <(printf '%s' " + Quoted(kFile) + ") --json",
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way);
        CliRig first;
        CliRig second;
        std::string script = way;
        script.replace(script.find("PORTS"), 5, "-p " + first.Port() + " -p " + second.Port());
        std::string out;
        EXPECT_EQ(RunShell(script, &out), 0) << out;
        EXPECT_EQ(ReportShapeProblem(out), "");
        EXPECT_TRUE(Applied(first));
        EXPECT_TRUE(Applied(second));
    }
}

TEST(Q470ctlStreams, SaveToStandardOutputGoesOnAfterWhatCameBefore) {
    CliRig source;
    source.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.opMode = 3;
        s.panId = 4321;
    });
    TemporaryFolder folder;
    const std::string out = folder.File("out.txt");
    const std::string tool = Q470CTL_EXECUTABLE;
    for (const char* target : {"/dev/stdout", "-"}) {
        SCOPED_TRACE(target);
        ASSERT_EQ(RunShell("{ echo header; " + tool + " -p " + source.Port() + " save " + target + "; } > " + out), 0);
        const std::string text = ReadAll(out);
        ASSERT_EQ(text.rfind("header\n{\r\n", 0), 0u) << text;
        EXPECT_NE(text.find("\"PAN ID\": 4321"), std::string::npos) << text;
    }
    // Saved to a pipe, applied from one.
    CliRig target;
    EXPECT_EQ(RunShell(tool + " -p " + source.Port() + " save - | " + tool + " -p " + target.Port() + " apply -"), 0);
    EXPECT_TRUE(Applied(target));
}

// A named pipe stays a pipe: the file goes through it, nothing takes its place.
TEST(Q470ctlStreams, ANamedPipeIsWrittenAndReadInPlace) {
    TemporaryFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CliRig source;
    auto received = std::async(std::launch::async, [&] { return ReadAll(fifo); });
    ChildProcess save(Q470CTL_EXECUTABLE, {"-p", source.Port(), "save", fifo});
    EXPECT_EQ(save.Wait(kGenerous), 0) << save.Errors();
    ASSERT_EQ(received.wait_for(kGenerous), std::future_status::ready);
    EXPECT_EQ(received.get().rfind("{\r\n", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // Read from one whose writer comes only later.
    CliRig target;
    ChildProcess apply(Q470CTL_EXECUTABLE, {"-p", target.Port(), "apply", fifo});
    std::this_thread::sleep_for(200ms);
    {
        std::ofstream writer(fifo, std::ios::binary);
        writer << kFile;
    }
    EXPECT_EQ(apply.Wait(kGenerous), 0) << apply.Errors();
    EXPECT_TRUE(Applied(target));
}

// Nothing comes on standard input: an interrupt ends the wait, with the document of an interrupted run.
TEST(Q470ctlStreams, AnInterruptEndsTheWaitForTheFile) {
    CliRig rig;
    ChildProcess apply(Q470CTL_EXECUTABLE, {"-p", rig.Port(), "apply", "-", "--json"},
                       ChildProcess::StandardOutput::Piped, ChildProcess::StandardInput::Piped);
    std::this_thread::sleep_for(200ms);
    apply.Signal(SIGINT);
    const std::string out = apply.Output();
    EXPECT_EQ(apply.Wait(kGenerous), 130);
    EXPECT_EQ(ReportShapeProblem(out), "");
    EXPECT_NE(out.find("\"outcome\": \"interrupted\""), std::string::npos) << out;
    EXPECT_TRUE(rig.TakeCommands().empty()) << "no port was opened";
}

// The name is taken as the bytes given: a name that is not UTF-8 is saved under that name and applied
// from it.
TEST(Q470ctlStreams, AFileNameIsItsBytes) {
    TemporaryFolder folder;
    const std::string name = folder.File("caf\xE9.json");
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.opMode = 3;
        s.panId = 4321;
    });
    ChildProcess save(Q470CTL_EXECUTABLE, {"-p", rig.Port(), "save", name});
    ASSERT_EQ(save.Wait(kGenerous), 0) << save.Errors();
    struct stat info {};
    ASSERT_EQ(::stat(name.c_str(), &info), 0) << "saved under another name";
    CliRig target;
    ChildProcess apply(Q470CTL_EXECUTABLE, {"-p", target.Port(), "apply", name});
    EXPECT_EQ(apply.Wait(kGenerous), 0) << apply.Errors();
    EXPECT_TRUE(Applied(target));
}

}  // namespace
}  // namespace q470::test
