// q470-sim: serves simulated modems on pseudo-terminals until SIGINT or SIGTERM, so the manager, the
// command-line tool or a terminal program can be tried without hardware.

#include <getopt.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modem_settings.h"
#include "simulated_modem.h"

namespace {

using q470::sim::ModemModel;
using q470::sim::SimulatedModem;

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr unsigned long kMaxCount = 64;
constexpr unsigned long kMaxBaudRate = 4'000'000;
constexpr std::uint8_t kPacedDataBits = 8;  // pacing uses 8N1 characters, 10 bits each

constexpr const char* kUsage =
    "Usage: q470-sim --model MODEL [--firmware TEXT] [--uart BAUD] [--quiet] [--echo] [--pace BAUD] [--count N]\n"
    "\n"
    "Serves simulated modems on pseudo-terminals and prints each one's port path on its own line on\n"
    "standard output, and the line setting it answers at on standard error. Open a path as a serial port\n"
    "at that setting: at another one the device hears only noise. Stops on SIGINT or SIGTERM.\n"
    "\n"
    "  --model MODEL    Q470R, KELDAN-KS410 or KELDAN-KS400 (required)\n"
    "  --firmware TEXT  firmware version the device reports (default 1.5.0)\n"
    "  --uart BAUD      the device's UART rate: 2400 4800 9600 14400 19200 38400 57600 115200 230400\n"
    "                   (default 9600; characters 8N1)\n"
    "  --quiet          start in quiet mode: no OK/ERROR lines\n"
    "  --echo           send each received command back before its answer\n"
    "  --pace BAUD      receive and send no faster than BAUD with 8N1 characters (1 to 4000000)\n"
    "  --count N        serve N devices, each on its own port (1 to 64, default 1)\n"
    "  --help           show this help and exit\n";

struct Options {
    std::optional<ModemModel> model;
    std::string firmware;
    bool quiet = false;
    bool echo = false;
    unsigned long paceBaud = 0;  // 0: not paced
    unsigned long count = 1;
    std::uint32_t uartBaud = 9600;
};

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "q470-sim: " << message << " (see --help)\n";
    std::exit(kExitUsage);
}

unsigned long NumberOption(const char* name, const char* text, unsigned long max) {
    const std::string value(text);
    const bool digits =
        !value.empty() && value.size() <= 10 && value.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long number = digits ? std::stoul(value) : 0;
    if (number < 1 || number > max) {
        UsageError(std::string("--") + name + " needs a whole number from 1 to " + std::to_string(max) + ", not '" +
                   value + "'");
    }
    return number;
}

std::uint32_t UartOption(const char* text) {
    static constexpr std::uint32_t kRates[] = {2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};
    const unsigned long rate = NumberOption("uart", text, kMaxBaudRate);
    for (const std::uint32_t allowed : kRates) {
        if (rate == allowed) return allowed;
    }
    UsageError(std::string("--uart ") + text + ": the device takes 2400 4800 9600 14400 19200 38400 57600 115200 230400");
}

ModemModel ModelOption(const char* text) {
    const auto model = q470::sim::ModelFromName(text);
    if (!model) UsageError(std::string("unknown model '") + text + "'; use Q470R, KELDAN-KS410 or KELDAN-KS400");
    return *model;
}

Options ParseOptions(int argc, char** argv) {
    enum : int { kModel = 1, kFirmware, kQuiet, kEcho, kPace, kCount, kUart, kHelp };
    const option longOptions[] = {
        {"model", required_argument, nullptr, kModel}, {"firmware", required_argument, nullptr, kFirmware},
        {"quiet", no_argument, nullptr, kQuiet},       {"echo", no_argument, nullptr, kEcho},
        {"pace", required_argument, nullptr, kPace},   {"count", required_argument, nullptr, kCount},
        {"uart", required_argument, nullptr, kUart},   {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;  // our own one-line messages instead of getopt's
    for (int choice; (choice = ::getopt_long(argc, argv, ":", longOptions, nullptr)) != -1;) {
        switch (choice) {
            case kModel:
                options.model = ModelOption(optarg);
                break;
            case kFirmware:
                options.firmware = optarg;
                break;
            case kQuiet:
                options.quiet = true;
                break;
            case kEcho:
                options.echo = true;
                break;
            case kPace:
                options.paceBaud = NumberOption("pace", optarg, kMaxBaudRate);
                break;
            case kCount:
                options.count = NumberOption("count", optarg, kMaxCount);
                break;
            case kUart:
                options.uartBaud = UartOption(optarg);
                break;
            case kHelp:
                std::cout << kUsage;
                std::exit(EXIT_SUCCESS);
            case ':':
                UsageError(std::string("option '") + argv[optind - 1] + "' needs a value");
            default:
                UsageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (optind < argc) UsageError(std::string("unexpected argument '") + argv[optind] + "'");
    if (!options.model) UsageError("--model is required");
    return options;
}

std::unique_ptr<SimulatedModem> StartModem(const Options& options) {
    auto settings = q470::sim::FactorySettings(*options.model, options.firmware);
    settings.quietMode = options.quiet;
    settings.baudRate = options.uartBaud;
    auto modem = std::make_unique<SimulatedModem>(settings);
    modem->SetEcho(options.echo);
    if (options.paceBaud > 0) modem->SetPacing(true, static_cast<std::uint32_t>(options.paceBaud), kPacedDataBits);
    std::string error;
    if (!modem->Start(&error)) {
        std::cerr << "q470-sim: " << error << "\n";
        return nullptr;
    }
    return modem;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);

    // Blocked before any serving thread exists, so every thread inherits it and sigwait gets the signal.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<SimulatedModem>> modems;
    for (unsigned long i = 0; i < options.count; ++i) {
        auto modem = StartModem(options);
        if (!modem) return kExitFailure;
        std::cout << modem->PortPath() << "\n";
        std::cerr << "q470-sim: " << modem->PortPath() << ": " << q470::sim::ModelName(options.model.value())
                  << " at " << q470::sim::Describe(modem->ActiveLine()) << "\n";
        modems.push_back(std::move(modem));
    }
    std::cout.flush();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    modems.clear();  // each one stops and closes its pseudo-terminal
    return EXIT_SUCCESS;
}
