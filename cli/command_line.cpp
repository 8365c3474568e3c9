#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "value_names.h"

namespace q470 {
namespace {

constexpr const char* kProgram = "q470ctl";
constexpr std::uint64_t kMaxAtTimeoutMs = 600000;

struct CommandEntry {
    std::string_view name;
    CliCommand command;
    std::size_t minArgs;
    std::size_t maxArgs;
};

constexpr std::size_t kAnyCount = 1000;

constexpr std::array<CommandEntry, 12> kCommands{{
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
};

constexpr std::array<option, 20> kOptions{{
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
    {nullptr, 0, nullptr, 0},
}};

constexpr const char* kShortOptions = ":p:b:h";

constexpr std::array<std::string_view, 3> kSimModels{"Q470R", "KELDAN-KS410", "KELDAN-KS400"};

std::string BadValue(const char* option, const char* value, const std::string& allowed) {
    return std::string(option) + " " + value + ": not allowed (allowed: " + allowed + ")";
}

}  // namespace

const char* CommandLine::Usage() {
    return "Usage: q470ctl [options] COMMAND [args]\n"
           "\n"
           "Configures Q470R, KELDAN-KS410 and KELDAN-KS400 modems over a serial port with the same jobs as\n"
           "the Q470 Manager window. Every device command opens the port and identifies the device first;\n"
           "the commands that change settings read the device before they write.\n"
           "\n"
           "Options:\n"
           "  -p, --port NAME        serial port; repeat it to run the command on several ports in parallel\n"
           "      --sim MODEL        use a built-in simulated device instead of a port:\n"
           "                         Q470R, KELDAN-KS410 or KELDAN-KS400\n"
           "      --sim-firmware T   firmware text of the simulated device (default 1.5.0)\n"
           "  -b, --baud RATE        2400 4800 9600 14400 19200 38400 57600 115200 230400 (default 9600)\n"
           "      --parity P         none | odd | even (default none)\n"
           "      --stop-bits N      1 | 2 (default 1)\n"
           "      --data-bits N      7 | 8 (default 8)\n"
           "      --json             results as JSON on standard output\n"
           "      --trace            every line sent (>) and received (<) on standard error, as it happens:\n"
           "                         milliseconds since the start, the port (with several), the bytes with\n"
           "                         \\r, \\n and \\xNN for the others; '<~' marks bytes that never made a line\n"
           "      --trace-file FILE  the same, appended to FILE\n"
           "  -h, --help             show this help\n"
           "      --version          show the version\n"
           "\n"
           "Commands:\n"
           "  ports                  list the serial ports, one per line, each with what is behind it where\n"
           "                         known (USB names and ids, serial number, driver, /dev/serial/by-id name)\n"
           "  identify               model and quiet mode\n"
           "  read                   identity, general settings and (Q470R) GPIO settings\n"
           "  save FILE              read, then write the model's configuration file; with several ports,\n"
           "                         {port} in FILE stands for each port's name\n"
           "  apply FILE             read, check FILE, send its settings, restart the device\n"
           "  set KEY=VALUE...       read, change general settings, apply them. Keys:\n"
           "                           mode=p2p|p2pcmd|multi|multicmd (bypass 1:1, AT command 1:1,\n"
           "                             bypass 1:N, AT command 1:N; or 1 to 4)\n"
           "                           role=master|slave      (Q470R)\n"
           "                           panid=1..65533         (Q470R)\n"
           "                           upanid=1..65533        (KELDAN models)\n"
           "                           outdoor=0|1            (Q470R: PHY ID 2 when 1, 12 when 0)\n"
           "                           channel=N              (Q470R: a channel of the PHY ID's plan)\n"
           "                           baud=RATE parity=none|odd|even stop-bits=1|2 data-bits=7|8\n"
           "                           quiet=0|1              (1: the device sends no OK/ERROR)\n"
           "                           rx-pullup=0|1          (Q470R with firmware 1.5 or later)\n"
           "  gpio [PIN=MODE[:VALUE]...] [--interval MS] [--send-to-peer 0|1]\n"
           "                         read, change GPIO settings (Q470R), apply them. PIN 0 to 12;\n"
           "                         MODE input|output|alt (or 0|1|2; alt on pins 2 3 4 5 6 8 9);\n"
           "                         VALUE input: no-pull|pull-up|pull-down, output: low|high,\n"
           "                         alt: push-pull|inv-push-pull on pin 2, none elsewhere (or the number);\n"
           "                         MS 0 (no report) or at least 1000\n"
           "  restart                restart the device\n"
           "  factory-reset          restore the factory settings\n"
           "  at COMMAND [--timeout MS] [--no-identify]\n"
           "                         send one AT command (CR added) and print the lines received until it\n"
           "                         completes or times out (default 2000 ms)\n"
           "  console [--timeout MS] an interactive AT session on one port: each line read is sent with CR,\n"
           "                         every line received is printed with its time; a command is waited for\n"
           "                         until its answer or MS (default 2000). Ctrl-D or 'exit' ends it\n"
           "  discover [--thorough]  find the modems: on every listed port (or each -p) try the nine rates at\n"
           "                         8N1, 9600 and 115200 first, stop at the first answer, identify the device\n"
           "                         and read its identity; --thorough adds the parity and stop-bit variants.\n"
           "                         Writes nothing. Exit 0 when every -p port (without -p: any port) had a\n"
           "                         modem, 1 otherwise, 3 when a -p port cannot be opened\n"
           "\n"
           "After set, gpio and apply:\n"
           "      --restart          set, gpio: restart the device after the writes (apply always does)\n"
           "      --verify           restart, open the port again at the line the device now uses (the UART\n"
           "                         setting written, otherwise -b and its friends), read the device and\n"
           "                         compare every setting written; exit 1 when one differs\n"
           "\n"
           "Exit status: 0 success; 1 the device failed; 2 usage error (nothing was sent); 3 the port could\n"
           "not be opened; 4 a file could not be read, checked or written; 130/143 interrupted. With several\n"
           "ports the worst counts, in this order: interrupted, 3, 1, 4, 2.\n";
}

CommandLine::CommandLine(const std::vector<std::string>& args) {
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
            return Fail("unknown option " + name);
        }
        if (code == ':') return Fail(std::string("option ") + argv[optind - 1] + " needs a value");
        if (!TakeOption(code, optarg)) return false;
        if (outcome_ != Outcome::Run) return true;
    }
    for (int i = optind; i < argc; ++i) words_.emplace_back(argv[i]);
    return true;
}

bool CommandLine::TakeOption(int code, const char* value) {
    switch (code) {
        case kOptPort:
            if (std::string_view(value).empty()) return Fail("--port needs a port name");
            for (const auto& port : request_.ports) {
                if (port == value) return Fail(std::string("--port ") + value + " is given twice");
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
            return Fail(BadValue("--sim", value, "Q470R, KELDAN-KS410, KELDAN-KS400"));
        }
        case kOptSimFirmware:
            request_.simFirmware = value;
            return true;
        case kOptBaud: {
            const auto rate = kBaudRateNames.Parse(value);
            if (!rate) return Fail(BadValue("--baud", value, kBaudRateNames.Allowed()));
            request_.line.baudRate = *rate;
            return true;
        }
        case kOptParity: {
            const auto parity = kLineParityNames.Parse(value);
            if (!parity) return Fail(BadValue("--parity", value, kLineParityNames.Allowed()));
            request_.line.parity = static_cast<std::uint8_t>(*parity);
            return true;
        }
        case kOptStopBits: {
            const auto stopBits = kLineStopBitNames.Parse(value);
            if (!stopBits) return Fail(BadValue("--stop-bits", value, kLineStopBitNames.Allowed()));
            request_.line.stopBits = static_cast<std::uint8_t>(*stopBits);
            return true;
        }
        case kOptDataBits: {
            const auto dataBits = kDataBitNames.Parse(value);
            if (!dataBits) return Fail(BadValue("--data-bits", value, kDataBitNames.Allowed()));
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
                return Fail(BadValue("--timeout", value, "1 to " + std::to_string(kMaxAtTimeoutMs) + " ms"));
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
            if (std::string_view(value).empty()) return Fail("--trace-file needs a file name");
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
        case kOptHelp:
            outcome_ = Outcome::Help;
            return true;
        case kOptVersion:
            outcome_ = Outcome::Version;
            return true;
        default:
            return Fail("unexpected option");
    }
}

bool CommandLine::TakeCommand() {
    if (words_.empty()) return Fail("no command given");
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandEntry& e) { return e.name == words_.front(); });
    if (entry == kCommands.end()) {
        std::string names;
        for (const auto& e : kCommands) names += (names.empty() ? "" : ", ") + std::string(e.name);
        return Fail("unknown command '" + words_.front() + "' (commands: " + names + ")");
    }
    request_.command = entry->command;
    request_.commandName = std::string(entry->name);
    request_.arguments.assign(words_.begin() + 1, words_.end());
    const std::size_t count = request_.arguments.size();
    if (count < entry->minArgs || count > entry->maxArgs) {
        const std::string expected = entry->minArgs == entry->maxArgs ? std::to_string(entry->minArgs)
                                                                      : "at least " + std::to_string(entry->minArgs);
        return Fail(request_.commandName + " takes " + expected + " argument" + (entry->minArgs == 1 ? "" : "s") +
                    ", not " + std::to_string(count));
    }
    return true;
}

bool CommandLine::CheckCombination() {
    if (request_.simFirmware && !request_.simModel) return Fail("--sim-firmware needs --sim");
    const bool gpio = request_.command == CliCommand::Gpio;
    if (request_.interval && !gpio) return Fail("--interval belongs to the gpio command");
    if (request_.sendToPeer && !gpio) return Fail("--send-to-peer belongs to the gpio command");
    const bool at = request_.command == CliCommand::At;
    const bool console = request_.command == CliCommand::Console;
    if (timeoutGiven_ && !at && !console) return Fail("--timeout belongs to the at and console commands");
    if (console && request_.ports.size() > 1) return Fail("console talks to one port at a time");
    if (console && request_.json) return Fail("console prints lines as they come; there is no JSON of it");
    if (!request_.identify && !at) return Fail("--no-identify belongs to the at command");
    if (!CheckWriteOptions()) return false;
    if (request_.command == CliCommand::Discover) return CheckDiscover();
    if (request_.command == CliCommand::Ports) {
        if (!request_.ports.empty() || request_.simModel) return Fail("ports takes no --port or --sim");
        if (request_.trace || request_.traceFile) return Fail("ports talks to no device: there is nothing to trace");
        return true;
    }
    if (!request_.ports.empty() && request_.simModel) return Fail("--port and --sim cannot be used together");
    if (request_.ports.empty() && !request_.simModel)
        return Fail(request_.commandName + " needs --port NAME or --sim MODEL");
    return true;
}

// --verify and --restart belong to the commands that write; apply restarts the device anyway.
bool CommandLine::CheckWriteOptions() {
    const CliCommand command = request_.command;
    const bool writes = command == CliCommand::Set || command == CliCommand::Gpio;
    if (request_.verify && !writes && command != CliCommand::Apply)
        return Fail("--verify belongs to the set, gpio and apply commands");
    if (request_.restart && !writes) {
        return Fail(command == CliCommand::Apply ? "apply restarts the device anyway; --restart is not needed"
                                                 : "--restart belongs to the set and gpio commands");
    }
    if (request_.thorough && command != CliCommand::Discover) return Fail("--thorough belongs to the discover command");
    return true;
}

// Without -p every listed port is searched; the line options do not apply, the search tries its own.
bool CommandLine::CheckDiscover() {
    if (!request_.ports.empty() && request_.simModel) return Fail("--port and --sim cannot be used together");
    return true;
}

}  // namespace q470
