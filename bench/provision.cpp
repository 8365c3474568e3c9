// Production provisioning: `q470ctl apply` of one saved Q470R file to 1, 4 and 16 simulated devices at
// once, each paced at 115200 baud. Prints the total time of a run and the time per device (medians);
// the ports run in parallel, so 16 devices should take little longer than one. Last, for one device at
// 9600 and at 115200 baud, the run against its line floor (every byte sent and received, once, at the
// line rate) as `floor-ratio RATE R`. Then `set --verify` against a device whose port stays through its
// restart, next to one that leaves the bus and comes back (same name, another name found through its
// stable link), as `set-verify KIND MS`.
//   provision [runs per size]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "line_floor.h"
#include "q470ctl.h"
#include "simulated_modem.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kDefaultRuns = 5;
constexpr std::uint32_t kBaudRate = 115200;
constexpr std::size_t kSizes[] = {1, 4, 16};
constexpr double kAllowedRatio = 1.2;  // 16 devices against one
constexpr std::uint32_t kFloorRates[] = {9600, 115200};

struct Devices {
    std::vector<std::unique_ptr<q470::sim::SimulatedModem>> modems;
    std::vector<std::string> ports;
};

bool StartDevices(std::size_t count, Devices& devices, std::uint32_t baudRate = kBaudRate) {
    for (std::size_t i = 0; i < count; ++i) {
        q470::sim::ModemSettings settings;
        settings.extendedAddress += i;
        settings.baudRate = baudRate;
        auto modem = std::make_unique<q470::sim::SimulatedModem>(settings);
        modem->SetPacing(true, baudRate);
        std::string error;
        if (!modem->Start(&error)) {
            std::fprintf(stderr, "provision: simulated modem: %s\n", error.c_str());
            return false;
        }
        devices.ports.push_back(modem->PortPath());
        devices.modems.push_back(std::move(modem));
    }
    return true;
}

int RunTool(std::vector<std::string> args, const std::vector<std::string>& ports,
            const q470::CliEnvironment& environment = {}) {
    for (const auto& port : ports) args.insert(args.end(), {"-p", port});
    std::ostringstream out;
    std::ostringstream err;
    const int status = q470::RunCli(args, out, err, environment);
    if (status != 0) std::fprintf(stderr, "provision: q470ctl exited with %d: %s", status, err.str().c_str());
    return status;
}

// The median wall time of `runs` applies of the file to every device; negative when one failed.
double MeasureSize(std::size_t count, const std::string& file, int runs) {
    Devices devices;
    if (!StartDevices(count, devices)) return -1;
    std::vector<double> totals;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        if (RunTool({"apply", file, "-b", std::to_string(kBaudRate)}, devices.ports) != 0) return -1;
        totals.push_back(Millis(Clock::now() - start).count());
    }
    return q470::bench::Median(totals);
}

// One device: the median run against the median line floor of the same runs; negative when one failed.
double FloorRatio(std::uint32_t baudRate, const std::string& file, int runs) {
    Devices devices;
    if (!StartDevices(1, devices, baudRate)) return -1;
    auto& modem = *devices.modems.front();
    const q470::sim::ModemSettings before = modem.Settings();
    std::vector<double> totals;
    std::vector<double> floors;
    for (int run = 0; run < runs; ++run) {
        modem.UpdateSettings([&](q470::sim::ModemSettings& s) { s = before; });
        modem.ClearTranscript();
        const auto start = Clock::now();
        if (RunTool({"apply", file, "-b", std::to_string(baudRate)}, devices.ports) != 0) return -1;
        totals.push_back(Millis(Clock::now() - start).count());
        const auto bytes = q470::bench::CountLineBytes(before, modem.Commands());
        floors.push_back(q470::bench::LineMs(bytes.sent + bytes.received, baudRate));
        // The restart's "+READY" comes after the run; the next run must not meet it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return q470::bench::Median(totals) / q470::bench::Median(floors);
}

// The median `set channel=N --verify` on one device at 115200 baud; `away` set: the device leaves the
// bus for that long at its restart and comes back as `returnName`. Negative when a run failed.
double MeasureSetVerify(std::optional<q470::sim::ReturnName> returnName, int runs) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("q470-provision-links-" + std::to_string(::getpid()));
    fs::create_directories(folder / "by-id");
    q470::sim::ModemSettings settings;
    settings.baudRate = kBaudRate;
    q470::sim::SimulatedModem modem(settings);
    modem.SetPacing(true, kBaudRate);
    std::string port;
    if (returnName) {
        port = (folder / "ttyACM0").string();
        modem.SetLinks((folder / "by-id" / "usb-Brevint_Q470R_0001-if00").string(), port);
        modem.SetReenumeration({true, *returnName, std::chrono::milliseconds(200)});
    }
    std::string error;
    if (!modem.Start(&error)) {
        std::fprintf(stderr, "provision: simulated modem: %s\n", error.c_str());
        return -1;
    }
    if (!returnName) port = modem.PortPath();
    q470::CliEnvironment environment;
    environment.linkFolders = std::vector<std::string>{(folder / "by-id").string()};
    std::vector<double> totals;
    for (int run = 0; run < runs; ++run) {
        // Where the device is now: a device that came back as another port is reached by its stable link.
        const std::string at = returnName == q470::sim::ReturnName::Other && run > 0
                                   ? (folder / "by-id" / "usb-Brevint_Q470R_0001-if00").string()
                                   : port;
        const auto start = Clock::now();
        const int status =
            RunTool({"set", "channel=" + std::to_string(100 + run % 2), "--verify", "-b", std::to_string(kBaudRate)},
                    {at}, environment);
        if (status != 0) return -1;
        totals.push_back(Millis(Clock::now() - start).count());
        // A steady device's "+READY" comes after the run; the next run must not meet it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    modem.Stop();
    fs::remove_all(folder);
    return q470::bench::Median(totals);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    const std::string file = (std::filesystem::temp_directory_path() / "q470-provision-bench.json").string();
    {
        Devices source;
        if (!StartDevices(1, source) || RunTool({"save", file, "-b", std::to_string(kBaudRate)}, source.ports) != 0) {
            return 1;
        }
    }
    std::printf(
        "q470ctl apply of one Q470R file (identify, read, 20 settings, restart), devices paced at %u baud,\n"
        "median of %d runs\n",
        kBaudRate, runs);
    double single = 0;
    double largest = 0;
    for (const std::size_t count : kSizes) {
        const double total = MeasureSize(count, file, runs);
        if (total < 0) return 1;
        if (count == kSizes[0]) single = total;
        largest = total;
        std::printf("%3zu device%s: total %8.1f ms, per device %8.1f ms\n", count, count == 1 ? " " : "s", total,
                    total / static_cast<double>(count));
    }
    const double ratio = largest / single;
    std::printf("%zu devices against 1: %.2f x (limit %.1f x): %s\n", kSizes[std::size(kSizes) - 1], ratio,
                kAllowedRatio, ratio <= kAllowedRatio ? "within" : "OVER");
    for (const std::uint32_t rate : kFloorRates) {
        const double floorRatio = FloorRatio(rate, file, runs);
        if (floorRatio < 0) return 1;
        std::printf("floor-ratio %u %.2f\n", rate, floorRatio);
    }
    std::filesystem::remove(file);
    std::printf(
        "set channel --verify on one device at %u baud (identify, read, write, restart, read back), median of "
        "%d runs;\nthe re-enumerating device is away 200 ms at its restart\n",
        kBaudRate, runs);
    const std::pair<const char*, std::optional<q470::sim::ReturnName>> kinds[] = {
        {"steady", std::nullopt},
        {"reenumerating-same-name", q470::sim::ReturnName::Same},
        {"reenumerating-other-name", q470::sim::ReturnName::Other},
    };
    for (const auto& [name, returnName] : kinds) {
        const double total = MeasureSetVerify(returnName, runs);
        if (total < 0) return 1;
        std::printf("set-verify %-25s %8.1f ms\n", name, total);
    }
    return 0;
}
