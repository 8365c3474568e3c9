#pragma once

#include <rapidjson/document.h>

#include <chrono>
#include <string>
#include <vector>

#include "q470ctl.h"
#include "simulated_modem.h"

namespace q470::test {

using namespace std::chrono_literals;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// One run of the tool in this process.
CliRun RunTool(const std::vector<std::string>& args, const CliEnvironment& environment = {});

// A simulated modem the test owns; the tool reaches it through its pseudo-terminal with -p.
class CliRig {
public:
    explicit CliRig(sim::ModemSettings settings = {});
    CliRig(const CliRig&) = delete;
    CliRig& operator=(const CliRig&) = delete;

    CliRun Run(std::vector<std::string> args);  // "-p <port>" goes first
    // The commands the device received since the last call, exactly.
    std::vector<std::string> TakeCommands();
    const std::string& Port() const { return modem.PortPath(); }

    sim::SimulatedModem modem;
};

sim::ModemSettings Q470RFirmware(const std::string& firmware);

// What the identify job and the read jobs send.
std::vector<std::string> IdentifyCommands();
std::vector<std::string> ReadQ470RCommands(bool rxPullUp = true);
std::vector<std::string> ReadKsCommands();
std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts);

// Fails the test when the text is not one JSON value.
rapidjson::Document ParseJson(const std::string& text);
// The record of the i-th port in a run's JSON document.
const rapidjson::Value& PortRecord(const rapidjson::Document& document, rapidjson::SizeType i = 0);

// A temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);

}  // namespace q470::test
