#include "cli_rig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace q470::test {

CliRun RunTool(const std::vector<std::string>& args, const CliEnvironment& environment) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = RunCli(args, out, err, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

CliRig::CliRig(sim::ModemSettings settings) : modem(std::move(settings)) {
    std::string error;
    if (!modem.Start(&error)) ADD_FAILURE() << "simulated modem: " << error;
}

CliRun CliRig::Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"-p", Port()});
    return RunTool(args);
}

std::vector<std::string> CliRig::TakeCommands() {
    auto commands = modem.Commands();
    modem.ClearTranscript();
    return commands;
}

sim::ModemSettings Q470RFirmware(const std::string& firmware) {
    return sim::FactorySettings(sim::ModemModel::Q470R, firmware);
}

std::vector<std::string> IdentifyCommands() {
    return {"AT\r", "AT+QM?\r", "AT+MODELNAME?\r"};
}

std::vector<std::string> ReadQ470RCommands(bool rxPullUp) {
    std::vector<std::string> commands{"AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r"};
    if (rxPullUp) commands.push_back("AT+URPU?\r");
    return commands;
}

std::vector<std::string> ReadKsCommands() {
    return {"AT+INFO?\r", "AT+NETINFO?\r", "AT+VER?\r", "AT+UPANID?\r"};
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

rapidjson::Document ParseJson(const std::string& text) {
    rapidjson::Document document;
    document.Parse(text.c_str());
    EXPECT_FALSE(document.HasParseError()) << "not JSON: " << text;
    return document;
}

const rapidjson::Value& PortRecord(const rapidjson::Document& document, rapidjson::SizeType i) {
    static const rapidjson::Value kMissing(rapidjson::kObjectType);
    const bool present = document.IsObject() && document.HasMember("ports") && document["ports"].IsArray() &&
                         i < document["ports"].Size();
    EXPECT_TRUE(present) << "no record of port " << i;
    return present ? document["ports"][i] : kMissing;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "q470ctl-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
}

}  // namespace q470::test
