#include "sim_options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace q470::sim {
namespace {

constexpr int kExitUsage = 2;
constexpr unsigned long kMaxCount = 64;
constexpr unsigned long kMaxUnits = 1'000'000;
constexpr unsigned long kMaxBaudRate = 4'000'000;
constexpr unsigned long kMaxMs = 3'600'000;
constexpr std::size_t kAddressDigits = 16;

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "q470-sim: " << message << " (see --help)\n";
    std::exit(kExitUsage);
}

unsigned long NumberOption(const char* name, const char* text, unsigned long min, unsigned long max) {
    const std::string value(text);
    const bool digits =
        !value.empty() && value.size() <= 10 && value.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long number = digits ? std::stoul(value) : 0;
    if (!digits || number < min || number > max) {
        UsageError(std::string("--") + name + " needs a whole number from " + std::to_string(min) + " to " +
                   std::to_string(max) + ", not '" + value + "'");
    }
    return number;
}

std::chrono::milliseconds MsOption(const char* name, const char* text) {
    return std::chrono::milliseconds(NumberOption(name, text, 0, kMaxMs));
}

std::uint32_t UartOption(const char* text) {
    static constexpr std::uint32_t kRates[] = {2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};
    const unsigned long rate = NumberOption("uart", text, 1, kMaxBaudRate);
    for (const std::uint32_t allowed : kRates) {
        if (rate == allowed) return allowed;
    }
    UsageError(std::string("--uart ") + text +
               ": the device takes 2400 4800 9600 14400 19200 38400 57600 115200 230400");
}

ModemModel ModelOption(const char* text) {
    const auto model = ModelFromName(text);
    if (!model) UsageError(std::string("unknown model '") + text + "'; use Q470R, KELDAN-KS410 or KELDAN-KS400");
    return *model;
}

// Sixteen hex digits, with or without colons between the bytes.
std::uint64_t AddressOption(const char* text) {
    std::string digits;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != ':') digits += *c;
    }
    if (digits.size() != kAddressDigits || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        UsageError(std::string("--address needs 16 hex digits (00:12:4B:00:1A:2B:3C:4D), not '") + text + "'");
    }
    return std::stoull(digits, nullptr, 16);
}

ReturnName ComesBackOption(const char* text) {
    const std::string value(text);
    if (value == "same") return ReturnName::Same;
    if (value == "renamed") return ReturnName::Other;
    if (value == "never") return ReturnName::Never;
    UsageError("--comes-back takes same, renamed or never, not '" + value + "'");
}

std::string PathOption(const char* name, const char* text) {
    if (*text == '\0') UsageError(std::string("--") + name + " needs a path");
    return text;
}

// Options that only mean something together with another.
void CheckCombinations(const SimOptions& o, bool reenumerationTuned, bool fixtureTuned) {
    if (!o.model) UsageError("--model is required");
    if (reenumerationTuned && !o.reenumeration.on) UsageError("--comes-back and --away need --reenumerate");
    if (fixtureTuned && o.fixtures.empty()) {
        UsageError("--units, --plug-after and --unplug-after-restart need --fixture");
    }
    const bool links = !o.link.empty() || !o.kernelLink.empty();
    if (!o.fixtures.empty() && (links || o.count != 1)) {
        UsageError("--fixture serves its own units: it takes no --link, --kernel-link or --count");
    }
    if (links && o.count != 1) UsageError("--link and --kernel-link name one device: they take no --count");
    if (!o.link.empty() && o.link == o.kernelLink) UsageError("--link and --kernel-link need two paths");
    for (std::size_t i = 0; i < o.fixtures.size(); ++i) {
        if (std::find(o.fixtures.begin() + i + 1, o.fixtures.end(), o.fixtures[i]) != o.fixtures.end()) {
            UsageError("--fixture " + o.fixtures[i] + " is given twice");
        }
    }
}

}  // namespace

const char* const kSimUsage =
    "Usage: q470-sim --model MODEL [--firmware TEXT] [--uart BAUD] [--quiet] [--echo] [--pace BAUD] [--count N]\n"
    "                [--address HEX] [--reenumerate [--comes-back same|renamed|never] [--away MS]]\n"
    "                [--link PATH] [--kernel-link PATH]\n"
    "       q470-sim --model MODEL --fixture PATH... [--units N] [--plug-after MS] [--unplug-after-restart MS]\n"
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
    "  --address HEX    the device's extended address, 16 hex digits (default 00:12:4B:00:1A:2B:3C:4D);\n"
    "                   each further device or unit has the next one\n"
    "  --help           show this help and exit\n"
    "\n"
    "A device with its own USB port:\n"
    "  --reenumerate    a restart (ATZ, AT&F, AT+ASSOCCLR) takes the device off the bus: it answers OK,\n"
    "                   hangs up and comes back on a new pseudo-terminal, without +READY\n"
    "  --comes-back HOW same (default: the links lead to the new port), renamed (the kernel link comes\n"
    "                   back with the next number, ttyACM0 -> ttyACM1) or never\n"
    "  --away MS        how long a restarting device is off the bus (default 200)\n"
    "  --link PATH      a symbolic link to the port that stands for its stable name (as\n"
    "                   /dev/serial/by-id/...), there while the device is\n"
    "  --kernel-link PATH  a symbolic link that plays the kernel's name of the port (as /dev/ttyACM0)\n"
    "\n"
    "A production fixture:\n"
    "  --fixture PATH   serve units behind PATH, a symbolic link that appears when a unit is plugged in\n"
    "                   and vanishes when it goes; repeat for more fixtures (up to 64). Standard output\n"
    "                   gets a line per event: 'plugged PATH PORT ADDRESS', 'unplugged PATH'. Commands on\n"
    "                   standard input: 'plug [PATH]', 'unplug [PATH]' (without PATH: every fixture).\n"
    "                   Ends once every unit has been plugged in and has gone.\n"
    "  --units N        units per fixture, each with its own extended address (default 1)\n"
    "  --plug-after MS  plug the next unit in MS after the fixture became empty (or started)\n"
    "  --unplug-after-restart MS\n"
    "                   take a unit out once its line has been quiet for MS after a restart\n";

SimOptions ParseSimOptions(int argc, char** argv) {
    enum : int {
        kModel = 1,
        kFirmware,
        kQuiet,
        kEcho,
        kPace,
        kCount,
        kUart,
        kAddress,
        kReenumerate,
        kComesBack,
        kAway,
        kLink,
        kKernelLink,
        kFixture,
        kUnits,
        kPlugAfter,
        kUnplugAfterRestart,
        kHelp,
    };
    const option longOptions[] = {
        {"model", required_argument, nullptr, kModel},
        {"firmware", required_argument, nullptr, kFirmware},
        {"quiet", no_argument, nullptr, kQuiet},
        {"echo", no_argument, nullptr, kEcho},
        {"pace", required_argument, nullptr, kPace},
        {"count", required_argument, nullptr, kCount},
        {"uart", required_argument, nullptr, kUart},
        {"address", required_argument, nullptr, kAddress},
        {"reenumerate", no_argument, nullptr, kReenumerate},
        {"comes-back", required_argument, nullptr, kComesBack},
        {"away", required_argument, nullptr, kAway},
        {"link", required_argument, nullptr, kLink},
        {"kernel-link", required_argument, nullptr, kKernelLink},
        {"fixture", required_argument, nullptr, kFixture},
        {"units", required_argument, nullptr, kUnits},
        {"plug-after", required_argument, nullptr, kPlugAfter},
        {"unplug-after-restart", required_argument, nullptr, kUnplugAfterRestart},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    SimOptions o;
    bool reenumerationTuned = false;
    bool fixtureTuned = false;
    opterr = 0;  // our own one-line messages instead of getopt's
    for (int choice; (choice = ::getopt_long(argc, argv, ":", longOptions, nullptr)) != -1;) {
        switch (choice) {
            case kModel:
                o.model = ModelOption(optarg);
                break;
            case kFirmware:
                o.firmware = optarg;
                break;
            case kQuiet:
                o.quiet = true;
                break;
            case kEcho:
                o.echo = true;
                break;
            case kPace:
                o.paceBaud = NumberOption("pace", optarg, 1, kMaxBaudRate);
                break;
            case kCount:
                o.count = NumberOption("count", optarg, 1, kMaxCount);
                break;
            case kUart:
                o.uartBaud = UartOption(optarg);
                break;
            case kAddress:
                o.address = AddressOption(optarg);
                break;
            case kReenumerate:
                o.reenumeration.on = true;
                break;
            case kComesBack:
                o.reenumeration.returnName = ComesBackOption(optarg);
                reenumerationTuned = true;
                break;
            case kAway:
                o.reenumeration.away = MsOption("away", optarg);
                reenumerationTuned = true;
                break;
            case kLink:
                o.link = PathOption("link", optarg);
                break;
            case kKernelLink:
                o.kernelLink = PathOption("kernel-link", optarg);
                break;
            case kFixture:
                if (o.fixtures.size() == kMaxCount) UsageError("at most 64 fixtures");
                o.fixtures.push_back(PathOption("fixture", optarg));
                break;
            case kUnits:
                o.units = NumberOption("units", optarg, 1, kMaxUnits);
                fixtureTuned = true;
                break;
            case kPlugAfter:
                o.plugAfter = MsOption("plug-after", optarg);
                fixtureTuned = true;
                break;
            case kUnplugAfterRestart:
                o.unplugAfterRestart = MsOption("unplug-after-restart", optarg);
                fixtureTuned = true;
                break;
            case kHelp:
                std::cout << kSimUsage;
                std::exit(EXIT_SUCCESS);
            case ':':
                UsageError(std::string("option '") + argv[optind - 1] + "' needs a value");
            default:
                UsageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (optind < argc) UsageError(std::string("unexpected argument '") + argv[optind] + "'");
    CheckCombinations(o, reenumerationTuned, fixtureTuned);
    return o;
}

}  // namespace q470::sim
