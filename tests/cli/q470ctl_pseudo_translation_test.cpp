// q470ctl in "pseudo", a made-up language whose every text is its English source in ⟦…⟧ (made at build
// time from the texts in the code): whatever the tool prints outside the brackets escaped translation.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using q470::test::ChildProcess;
using namespace std::chrono_literals;

constexpr const char* kQ470ctl = Q470CTL_EXECUTABLE;
constexpr const char* kOpen = "\u27E6";
constexpr const char* kClose = "\u27E7";

// Words every language prints as they are: the models, the program's name, the link state in the
// device's own words ("Q470R/RX, ACTIVE"), and the words of the command line, which the output shows for
// the user to give back: the settings as `set` and `gpio` take them ("panid=1234", "2=input:no-pull",
// "--interval 0") and the command a message is about ("set: ...").
const std::vector<std::string> kFixedWords{"KELDAN-KS410", "KELDAN-KS400", "Q470R", "q470ctl", "INACTIVE", "ACTIVE"};
const std::regex kCommandWords(R"((\b[a-z0-9-]+=[a-z0-9:-]*|--[a-z-]+|\b(set|gpio|apply|read|save|at|console): ))");

// The parts of a line outside ⟦…⟧, a text filled into another counting as inside. `depth` carries over
// from line to line: a text of several lines (the help) is wrapped as a whole.
std::string Outside(const std::string& line, int& depth) {
    std::string rest;
    for (std::size_t i = 0; i < line.size();) {
        if (line.compare(i, 3, kOpen) == 0) {
            ++depth;
            i += 3;
        } else if (line.compare(i, 3, kClose) == 0) {
            depth = depth > 0 ? depth - 1 : 0;
            i += 3;
        } else {
            if (depth == 0) rest += line[i];
            ++i;
        }
    }
    return rest;
}

// The lines that show a word outside the brackets that is not data (a path, an address, a number) or one
// of the fixed words.
std::vector<std::string> Escaped(const std::string& output) {
    static const std::regex data(R"((/[^\s,:]+|\b[0-9A-F]{16}\b|\b[0-9A-F]{2}(:[0-9A-F]{2}){7}\b|\b\d+(\.\d+)*\b))");
    static const std::regex letter("[A-Za-z]");
    std::vector<std::string> escaped;
    std::istringstream lines(output);
    int depth = 0;
    for (std::string line; std::getline(lines, line);) {
        std::string rest = std::regex_replace(Outside(line, depth), kCommandWords, "");
        rest = std::regex_replace(rest, data, "");
        for (const std::string& word : kFixedWords) {
            for (auto at = rest.find(word); at != std::string::npos; at = rest.find(word)) rest.erase(at, word.size());
        }
        if (std::regex_search(rest, letter)) escaped.push_back(line);
    }
    return escaped;
}

std::string WriteFile(const std::string& name, const std::string& content) {
    const std::string path = ::testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

class PseudoTranslation : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("Q470_LANG", "pseudo", 1); }
    void TearDown() override { ::unsetenv("Q470_LANG"); }

    // Runs the tool; both of its streams, which must hold something, have every word translated.
    void ExpectTranslated(const std::vector<std::string>& args) {
        std::string shown;
        for (const auto& arg : args) shown += arg + " ";
        ChildProcess tool(kQ470ctl, args);
        const std::string out = tool.Output();
        const std::string errors = tool.Errors();
        EXPECT_GE(tool.Wait(20s), 0) << shown;
        EXPECT_NE(out + errors, "") << shown;
        for (const std::string& line : Escaped(out + errors)) ADD_FAILURE() << shown << ": " << line;
    }
};

TEST_F(PseudoTranslation, TheCheckSeesWhatEscaped) {
    EXPECT_EQ(Escaped("\u27E6Port: /dev/ttyUSB0\u27E7\nQ470R 00124B001A2B3C4D 1.5.0\n\u27E6a \u27E6b\u27E7 c\u27E7\n"),
              std::vector<std::string>{});
    EXPECT_EQ(Escaped("\u27E6read\u27E7 failed\nall fine\n"),
              (std::vector<std::string>{"\u27E6read\u27E7 failed", "all fine"}));
}

TEST_F(PseudoTranslation, HelpAndUsageErrors) {
    ExpectTranslated({"--help"});
    ExpectTranslated({"--sim", "Q470R", "blink"});
    ExpectTranslated({"--sim", "Q470R", "--baud", "1200", "read"});
    ExpectTranslated({"read"});
}

TEST_F(PseudoTranslation, DeviceCommandsAndTheirRefusals) {
    ExpectTranslated({"--sim", "Q470R", "read"});
    ExpectTranslated({"--sim", "Q470R", "set", "panid=70000"});
    ExpectTranslated({"--sim", "KELDAN-KS410", "gpio", "2=alt"});
    ExpectTranslated({"-p", "/dev/q470-no-such-port", "read"});
}

TEST_F(PseudoTranslation, ConfigurationFiles) {
    ExpectTranslated({"--sim", "Q470R", "apply", WriteFile("pseudo-broken.json", "{\"Model Name\": \"Q470R\",")});
    ExpectTranslated({"--sim", "Q470R", "apply",
                      WriteFile("pseudo-refused.json",
                                "{\"Model Name\": \"Q470R\", \"General\": {\"PAN ID\": 70000}, \"Extra\": 1}")});
    ExpectTranslated({"--sim", "Q470R", "apply", ::testing::TempDir() + "pseudo-missing.json"});
}

}  // namespace
