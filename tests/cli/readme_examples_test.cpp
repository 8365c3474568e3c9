// The README's q470ctl examples, run as they stand: each "$ " line of a console block in a shell, in one
// folder of their own (an example may use the file an earlier one saved), with the tool on the PATH.
// What it prints must be what the README shows, and every document it makes with --json must be of
// the documented shape.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "report_schema.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(30);

struct Example {
    std::string command;
    std::string output;  // without the last line end
    int line = 0;        // in the README
};

std::vector<Example> ConsoleExamples(const std::string& path) {
    std::ifstream file(path);
    std::vector<Example> examples;
    bool inBlock = false;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (!inBlock) {
            inBlock = line == "```console";
        } else if (line.rfind("```", 0) == 0) {
            inBlock = false;
        } else if (line.rfind("$ ", 0) == 0) {
            examples.push_back({line.substr(2), {}, number});
        } else if (!examples.empty()) {
            examples.back().output += (examples.back().output.empty() ? "" : "\n") + line;
        }
    }
    return examples;
}

// The simulated device's pseudo-terminal differs from run to run.
std::string Normalised(const std::string& text) {
    static const std::regex terminal("/dev/pts/[0-9]+");
    std::string normal = std::regex_replace(text, terminal, "/dev/pts/N");
    while (!normal.empty() && normal.back() == '\n') normal.pop_back();
    return normal;
}

std::string RunInShell(const std::string& command, const std::string& folder) {
    const std::string tools = std::filesystem::path(Q470CTL_EXECUTABLE).parent_path().string();
    const std::string script =
        "cd '" + folder + "' && export PATH='" + tools + "':\"$PATH\" Q470_LANG=en && " + command;
    ChildProcess shell("/bin/bash", {"-c", script});
    std::string output = shell.Output();
    EXPECT_NE(shell.Wait(kGenerous), -1) << command;
    return output;
}

// The q470ctl part of an example that filters its document: up to the pipe into jq, or the echo after it.
std::string DocumentCommand(const std::string& command) {
    const auto json = command.find("--json");
    if (json == std::string::npos) return {};
    std::string tool = command;
    for (const char* tail : {" | jq ", "; echo "}) {
        if (const auto at = tool.find(tail, json); at != std::string::npos) tool.erase(at);
    }
    return tool;
}

TEST(ReadmeExamples, PrintWhatTheReadmeShows) {
    const std::vector<Example> examples = ConsoleExamples(Q470_README);
    ASSERT_GE(examples.size(), 10u) << "the README's console examples were not found";
    TemporaryFolder folder;
    const std::string dir = folder.File("");
    for (const auto& example : examples) {
        SCOPED_TRACE("README line " + std::to_string(example.line) + ": " + example.command);
        EXPECT_EQ(Normalised(RunInShell(example.command, dir)), Normalised(example.output));
        const std::string tool = DocumentCommand(example.command);
        if (!tool.empty()) {
            EXPECT_EQ(ReportShapeProblem(RunInShell(tool, dir)), "");
        }
    }
}

}  // namespace
}  // namespace q470::test
