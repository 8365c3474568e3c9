#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "config_output.h"
#include "decimal_number.h"
#include "setting_values.h"
#include "settings_rules.h"
#include "standard_stream.h"

namespace q470 {
namespace {

constexpr const char* kProgram = "q470ctl";
constexpr std::uint64_t kMaxAtTimeoutMs = 600000;
constexpr std::uint64_t kMaxRetries = 100;
constexpr std::uint64_t kMaxUnits = 1000000000;

struct CommandEntry {
    std::string_view name;
    CliCommand command;
    std::size_t minArgs;
    std::size_t maxArgs;
};

constexpr std::size_t kAnyCount = 1000;

constexpr std::array<CommandEntry, 14> kCommands{{
    {"ports", CliCommand::Ports, 0, 0},
    {"identify", CliCommand::Identify, 0, 0},
    {"read", CliCommand::Read, 0, 0},
    {"save", CliCommand::Save, 1, 1},
    {"apply", CliCommand::Apply, 1, 1},
    {"set", CliCommand::Set, 1, kAnyCount},
    {"gpio", CliCommand::Gpio, 0, kAnyCount},
    {"restart", CliCommand::Restart, 0, 0},
    {"factory-reset", CliCommand::FactoryReset, 0, 0},
    {"at", CliCommand::At, 1, 1},
    {"console", CliCommand::Console, 0, 0},
    {"discover", CliCommand::Discover, 0, 0},
    {"log", CliCommand::Log, 0, 0},
    {"station", CliCommand::Station, 1, 1},
}};

enum OptionCode : int {
    kOptPort = 'p',
    kOptBaud = 'b',
    kOptHelp = 'h',
    kOptSim = 1000,
    kOptSimFirmware,
    kOptParity,
    kOptStopBits,
    kOptDataBits,
    kOptJson,
    kOptVersion,
    kOptInterval,
    kOptSendToPeer,
    kOptTimeout,
    kOptNoIdentify,
    kOptTrace,
    kOptTraceFile,
    kOptVerify,
    kOptRestart,
    kOptThorough,
    kOptLog,
    kOptSince,
    kOptCsv,
    kOptStationName,
    kOptNoVerify,
    kOptAgain,
    kOptRetries,
    kOptOnce,
    kOptUnits,
    kOptOnPass,
    kOptOnFail,
};

constexpr std::array<option, 31> kOptions{{
    {"port", required_argument, nullptr, kOptPort},
    {"sim", required_argument, nullptr, kOptSim},
    {"sim-firmware", required_argument, nullptr, kOptSimFirmware},
    {"baud", required_argument, nullptr, kOptBaud},
    {"parity", required_argument, nullptr, kOptParity},
    {"stop-bits", required_argument, nullptr, kOptStopBits},
    {"data-bits", required_argument, nullptr, kOptDataBits},
    {"json", no_argument, nullptr, kOptJson},
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {"interval", required_argument, nullptr, kOptInterval},
    {"send-to-peer", required_argument, nullptr, kOptSendToPeer},
    {"timeout", required_argument, nullptr, kOptTimeout},
    {"no-identify", no_argument, nullptr, kOptNoIdentify},
    {"trace", no_argument, nullptr, kOptTrace},
    {"trace-file", required_argument, nullptr, kOptTraceFile},
    {"verify", no_argument, nullptr, kOptVerify},
    {"restart", no_argument, nullptr, kOptRestart},
    {"thorough", no_argument, nullptr, kOptThorough},
    {"log", required_argument, nullptr, kOptLog},
    {"since", required_argument, nullptr, kOptSince},
    {"csv", no_argument, nullptr, kOptCsv},
    {"station-name", required_argument, nullptr, kOptStationName},
    {"no-verify", no_argument, nullptr, kOptNoVerify},
    {"again", no_argument, nullptr, kOptAgain},
    {"retries", required_argument, nullptr, kOptRetries},
    {"once", no_argument, nullptr, kOptOnce},
    {"units", required_argument, nullptr, kOptUnits},
    {"on-pass", required_argument, nullptr, kOptOnPass},
    {"on-fail", required_argument, nullptr, kOptOnFail},
    {nullptr, 0, nullptr, 0},
}};

constexpr const char* kShortOptions = ":p:b:h";

constexpr std::array<std::string_view, 3> kSimModels{"Q470R", "KELDAN-KS410", "KELDAN-KS400"};

std::string BadValue(const CliText& text, const char* option, const char* value, const std::string& allowed) {
    return text.Text(ToolText::ValueNotAllowed, {std::string(option) + " " + value, allowed});
}

// "2 3 4 5 6 8 9".
std::string AlternateFunctionPins() {
    std::string pins;
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        if (HasAlternateFunction(pin)) pins += (pins.empty() ? "" : " ") + std::to_string(pin);
    }
    return pins;
}

}  // namespace

std::string CommandLine::Usage(const CliText& text) {
    return text.Text(ToolText::Help,
                     {kBaudRateValues.Words(" "), std::to_string(kFirstPanId), std::to_string(kLastPanId),
                      AlternateFunctionPins(), std::to_string(kShortestReportIntervalMs)});
}

CommandLine::CommandLine(const std::vector<std::string>& args, CliText text) : text_(text) {
    if (!ParseOptions(args)) return;
    if (outcome_ != Outcome::Run) return;
    if (!TakeCommand()) return;
    CheckCombination();
}

bool CommandLine::Fail(std::string message) {
    outcome_ = Outcome::UsageError;
    error_ = std::move(message);
    return false;
}

bool CommandLine::ParseOptions(const std::vector<std::string>& args) {
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.emplace_back(kProgram);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    // getopt keeps its position in globals; 0 starts it afresh for each run in this process. Options may
    // stand before or after the command; an AT command text never starts with '-'.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int code = getopt_long(argc, argv.data(), kShortOptions, kOptions.data(), nullptr);
        if (code == -1) break;
        if (code == '?') {
            const std::string name = optopt != 0 ? std::string("-") + static_cast<char>(optopt) : argv[optind - 1];
            return Fail(text_.Text(ToolText::UnknownOption, {name}));
        }
        if (code == ':') return Fail(text_.Text(ToolText::OptionNeedsValue, {argv[optind - 1]}));
        if (!TakeOption(code, optarg)) return false;
        if (outcome_ != Outcome::Run) return true;
    }
    for (int i = optind; i < argc; ++i) words_.emplace_back(argv[i]);
    return true;
}

bool CommandLine::TakeOption(int code, const char* value) {
    switch (code) {
        case kOptPort:
            if (std::string_view(value).empty()) return Fail(text_.Text(ToolText::PortNeedsName));
            for (const auto& port : request_.ports) {
                if (port == value) return Fail(text_.Text(ToolText::PortGivenTwice, {value}));
            }
            request_.ports.emplace_back(value);
            return true;
        case kOptSim: {
            for (const auto model : kSimModels) {
                if (model == value) {
                    request_.simModel = std::string(model);
                    return true;
                }
            }
            return Fail(BadValue(text_, "--sim", value, "Q470R, KELDAN-KS410, KELDAN-KS400"));
        }
        case kOptSimFirmware:
            request_.simFirmware = value;
            return true;
        case kOptBaud: {
            const auto rate = kBaudRateValues.Parse(value);
            if (!rate) return Fail(BadValue(text_, "--baud", value, kBaudRateValues.Words()));
            request_.line.baudRate = *rate;
            return true;
        }
        case kOptParity: {
            const auto parity = kLineParityValues.Parse(value);
            if (!parity) return Fail(BadValue(text_, "--parity", value, kLineParityValues.Words()));
            request_.line.parity = static_cast<std::uint8_t>(*parity);
            return true;
        }
        case kOptStopBits: {
            const auto stopBits = kLineStopBitValues.Parse(value);
            if (!stopBits) return Fail(BadValue(text_, "--stop-bits", value, kLineStopBitValues.Words()));
            request_.line.stopBits = static_cast<std::uint8_t>(*stopBits);
            return true;
        }
        case kOptDataBits: {
            const auto dataBits = kDataBitValues.Parse(value);
            if (!dataBits) return Fail(BadValue(text_, "--data-bits", value, kDataBitValues.Words()));
            request_.line.dataBits = static_cast<std::uint8_t>(*dataBits);
            return true;
        }
        case kOptJson:
            request_.json = true;
            return true;
        case kOptInterval:
            request_.interval = value;
            return true;
        case kOptSendToPeer:
            request_.sendToPeer = value;
            return true;
        case kOptTimeout: {
            const auto ms = ParseDecimal(value, kMaxAtTimeoutMs);
            if (!ms || *ms == 0)
                return Fail(BadValue(text_, "--timeout", value,
                                     text_.Text(ToolText::TimeoutRange, {std::to_string(kMaxAtTimeoutMs)})));
            timeoutGiven_ = true;
            request_.atTimeoutMs = static_cast<std::uint32_t>(*ms);
            return true;
        }
        case kOptNoIdentify:
            request_.identify = false;
            return true;
        case kOptTrace:
            request_.trace = true;
            return true;
        case kOptTraceFile:
            if (std::string_view(value).empty()) return Fail(text_.Text(ToolText::TraceFileNeedsName));
            request_.traceFile = value;
            return true;
        case kOptVerify:
            request_.verify = true;
            return true;
        case kOptRestart:
            request_.restart = true;
            return true;
        case kOptThorough:
            request_.thorough = true;
            return true;
        case kOptLog:
            if (std::string_view(value).empty()) return Fail(text_.Text(ToolText::LogFileNeedsName));
            request_.logFile = value;
            return true;
        case kOptSince:
            request_.since = value;
            return true;
        case kOptCsv:
            request_.csv = true;
            return true;
        case kOptStationName:
            if (std::string_view(value).empty()) return Fail(text_.Text(ToolText::StationNameEmpty));
            request_.stationName = value;
            stationOption_ = "--station-name";
            return true;
        case kOptNoVerify:
            request_.noVerify = true;
            stationOption_ = "--no-verify";
            return true;
        case kOptAgain:
            request_.again = true;
            stationOption_ = "--again";
            return true;
        case kOptRetries: {
            const auto count = ParseDecimal(value, kMaxRetries);
            if (!count) return Fail(BadValue(text_, "--retries", value, "0.." + std::to_string(kMaxRetries)));
            request_.retries = static_cast<int>(*count);
            stationOption_ = "--retries";
            return true;
        }
        case kOptOnce:
            request_.once = true;
            stationOption_ = "--once";
            return true;
        case kOptUnits: {
            const auto count = ParseDecimal(value, kMaxUnits);
            if (!count || *count == 0)
                return Fail(BadValue(text_, "--units", value, "1.." + std::to_string(kMaxUnits)));
            request_.units = static_cast<int>(*count);
            stationOption_ = "--units";
            return true;
        }
        case kOptOnPass:
            request_.onPass = value;
            stationOption_ = "--on-pass";
            return true;
        case kOptOnFail:
            request_.onFail = value;
            stationOption_ = "--on-fail";
            return true;
        case kOptHelp:
            outcome_ = Outcome::Help;
            return true;
        case kOptVersion:
            outcome_ = Outcome::Version;
            return true;
        default:
            return Fail(text_.Text(ToolText::UnknownOption, {"?"}));
    }
}

bool CommandLine::TakeCommand() {
    if (words_.empty()) return Fail(text_.Text(ToolText::NoCommand));
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandEntry& e) { return e.name == words_.front(); });
    if (entry == kCommands.end()) {
        std::string names;
        for (const auto& e : kCommands) names += (names.empty() ? "" : ", ") + std::string(e.name);
        return Fail(text_.Text(ToolText::UnknownCommand, {words_.front(), names}));
    }
    request_.command = entry->command;
    request_.commandName = std::string(entry->name);
    request_.arguments.assign(words_.begin() + 1, words_.end());
    const std::size_t count = request_.arguments.size();
    if (count < entry->minArgs || count > entry->maxArgs) {
        const ToolText message = entry->maxArgs == 0   ? ToolText::TakesNoArguments
                                 : entry->maxArgs == 1 ? ToolText::TakesOneArgument
                                                       : ToolText::TakesAtLeastOneArgument;
        return Fail(text_.Text(message, {request_.commandName, std::to_string(count)}));
    }
    return true;
}

bool CommandLine::CheckCombination() {
    if (request_.simFirmware && !request_.simModel) return Fail(text_.Text(ToolText::SimFirmwareNeedsSim));
    const bool gpio = request_.command == CliCommand::Gpio;
    if (request_.interval && !gpio) return Fail(text_.Text(ToolText::OptionBelongsToGpio, {"--interval"}));
    if (request_.sendToPeer && !gpio) return Fail(text_.Text(ToolText::OptionBelongsToGpio, {"--send-to-peer"}));
    const bool at = request_.command == CliCommand::At;
    const bool console = request_.command == CliCommand::Console;
    if (timeoutGiven_ && !at && !console) return Fail(text_.Text(ToolText::TimeoutBelongsToAt));
    if (console && request_.ports.size() > 1) return Fail(text_.Text(ToolText::ConsoleOnePort));
    if (console && request_.json) return Fail(text_.Text(ToolText::ConsoleNoJson));
    if (!request_.identify && !at) return Fail(text_.Text(ToolText::NoIdentifyBelongsToAt));
    if (!CheckWriteOptions()) return false;
    if (!CheckLogOptions()) return false;
    if (request_.command == CliCommand::Log) return true;
    if (!CheckStationOptions()) return false;
    if (request_.command == CliCommand::Station) return true;
    if (request_.command == CliCommand::Discover) return CheckDiscover();
    if (request_.command == CliCommand::Ports) {
        if (!request_.ports.empty() || request_.simModel) return Fail(text_.Text(ToolText::PortsTakesNoPort));
        if (request_.trace || request_.traceFile) return Fail(text_.Text(ToolText::PortsNothingToTrace));
        return true;
    }
    if (!request_.ports.empty() && request_.simModel) return Fail(text_.Text(ToolText::PortAndSim));
    if (request_.ports.empty() && !request_.simModel)
        return Fail(text_.Text(ToolText::NeedsPortOrSim, {request_.commandName}));
    return CheckFileArguments();
}

// Standard output carries the saved file or the JSON document, not both; `-` names one stream for one port.
bool CommandLine::CheckFileArguments() {
    const bool save = request_.command == CliCommand::Save;
    if (!save && request_.command != CliCommand::Apply) return true;
    const std::string& file = request_.arguments.front();
    const bool several = request_.ports.size() > 1;
    if (save && IsStandardOutput(file) && request_.json) return Fail(text_.Text(ToolText::SaveStdoutWithJson));
    if (save && several && file.find("{port}") == std::string::npos)
        return Fail(text_.Text(ToolText::SaveSeveralNeedsPlaceholder));
    if (save && several && StandardStreamOf(file, true)) return Fail(text_.Text(ToolText::SaveStreamOnePort));
    return true;
}

// --verify and --restart belong to the commands that write; apply restarts the device anyway.
bool CommandLine::CheckWriteOptions() {
    const CliCommand command = request_.command;
    const bool writes = command == CliCommand::Set || command == CliCommand::Gpio;
    if (request_.verify && !writes && command != CliCommand::Apply)
        return Fail(text_.Text(ToolText::VerifyBelongsToWrites));
    if (request_.restart && !writes) {
        return Fail(
            text_.Text(command == CliCommand::Apply ? ToolText::RestartNotForApply : ToolText::RestartBelongsToWrites));
    }
    if (request_.thorough && command != CliCommand::Discover)
        return Fail(text_.Text(ToolText::ThoroughBelongsToDiscover));
    return true;
}

// The record is read without a device: no port, nothing to trace; one form of output.
bool CommandLine::CheckLogOptions() {
    if (request_.command != CliCommand::Log) {
        // The station writes the record that log reads.
        const bool station = request_.command == CliCommand::Station;
        if (request_.logFile && !station) return Fail(text_.Text(ToolText::OptionBelongsToLog, {"--log"}));
        if (request_.since) return Fail(text_.Text(ToolText::OptionBelongsToLog, {"--since"}));
        if (request_.csv) return Fail(text_.Text(ToolText::OptionBelongsToLog, {"--csv"}));
        return true;
    }
    if (!request_.ports.empty() || request_.simModel) return Fail(text_.Text(ToolText::LogTakesNoPort));
    if (request_.trace || request_.traceFile) return Fail(text_.Text(ToolText::LogNothingToTrace));
    if (request_.csv && request_.json) return Fail(text_.Text(ToolText::CsvWithJson));
    return true;
}

// The station watches its ports (-p, or every USB serial port that appears) and runs until it is stopped;
// the options of the station alone belong to it.
bool CommandLine::CheckStationOptions() {
    if (request_.command != CliCommand::Station) {
        if (!stationOption_.empty()) return Fail(text_.Text(ToolText::OptionBelongsToStation, {stationOption_}));
        return true;
    }
    if (request_.simModel) return Fail(text_.Text(ToolText::StationTakesNoSim));
    if (request_.trace || request_.traceFile) return Fail(text_.Text(ToolText::StationNothingToTrace));
    return true;
}

// Without -p every listed port is searched; the line options do not apply, the search tries its own.
bool CommandLine::CheckDiscover() {
    if (!request_.ports.empty() && request_.simModel) return Fail(text_.Text(ToolText::PortAndSim));
    return true;
}

}  // namespace q470
