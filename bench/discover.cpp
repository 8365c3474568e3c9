// Discovery and read-back: how long `discover` takes to find a modem, or to give up on a port, and what
// `apply --verify` costs over `apply`. Every device is simulated on a pseudo-terminal and paced at its own
// line rate. Prints medians, side by side with the targets:
//   no device, nine rates          <= 2000 ms
//   device at 230400 (last rate)   <= 2000 ms
//   device at 9600 (first rate)    <=  300 ms
//   16 ports in parallel            <= 1.3 x the slowest single port (each rate alone, measured here)
//   apply --verify - apply          <= one read + the device's restart time
//   discover [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "line_choices.h"
#include "line_floor.h"
#include "port_discovery.h"
#include "pty_port.h"
#include "q470ctl.h"
#include "simulated_modem.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;
using q470::bench::Median;

constexpr int kDefaultRuns = 5;
constexpr std::size_t kParallelPorts = 16;
constexpr std::chrono::milliseconds kReadyDelay{30};  // the simulated device's restart: OK, then +READY

std::unique_ptr<q470::sim::SimulatedModem> Device(std::uint32_t baudRate, std::uint64_t serial = 0) {
    q470::sim::ModemSettings settings;
    settings.baudRate = baudRate;
    settings.extendedAddress += serial;
    auto modem = std::make_unique<q470::sim::SimulatedModem>(settings);
    modem->SetPacing(true, baudRate);
    modem->SetReadyDelay(kReadyDelay);
    std::string error;
    if (!modem->Start(&error)) {
        std::fprintf(stderr, "discover: simulated modem: %s\n", error.c_str());
        std::exit(1);
    }
    return modem;
}

template <typename Run>
double TimeMs(Run run) {
    const auto start = Clock::now();
    run();
    return Millis(Clock::now() - start).count();
}

// One port searched alone, `runs` times: the median, and whether every run ended as `expected`.
double SearchMs(const std::string& port, q470::DiscoveryOutcome expected, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        q470::PortDiscovery result;
        times.push_back(TimeMs([&] { result = q470::DiscoverPort(port, {}); }));
        if (result.outcome != expected) {
            std::fprintf(stderr, "discover: %s ended as %s\n", port.c_str(), q470::DiscoveryOutcomeName(result.outcome));
            std::exit(1);
        }
    }
    return Median(times);
}

int Tool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = q470::RunCli(args, out, err);
    if (status != 0) std::fprintf(stderr, "discover: q470ctl %s: %s", args.back().c_str(), err.str().c_str());
    return status;
}

void Line(const char* what, double measured, const std::string& target) {
    std::printf("%-36s %9.1f ms   (target %s)\n", what, measured, target.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    std::printf("discover: medians of %d runs; simulated devices paced at their own rate\n\n", runs);

    q470::sim::PtyPort dead;
    if (dead.Open()) return 1;
    const double none = SearchMs(dead.SlavePath(), q470::DiscoveryOutcome::NoDevice, runs);
    Line("no device, nine rates", none, "<= 2000 ms");

    // Each rate alone, in the order the search tries them.
    std::vector<std::uint32_t> rates;
    for (const auto& line : q470::SearchLines(false)) rates.push_back(line.baudRate);
    double slowest = 0;
    for (const std::uint32_t rate : rates) {
        auto modem = Device(rate);
        const double ms = SearchMs(modem->PortPath(), q470::DiscoveryOutcome::Found, runs);
        slowest = std::max(slowest, ms);
        const std::string label = "device at " + std::to_string(rate);
        const char* target = rate == 9600 ? "<= 300 ms" : rate == 230400 ? "<= 2000 ms" : "-";
        Line(label.c_str(), ms, target);
    }

    std::vector<std::unique_ptr<q470::sim::SimulatedModem>> modems;
    std::vector<std::string> ports;
    for (std::size_t i = 0; i < kParallelPorts; ++i) {
        modems.push_back(Device(rates[i % rates.size()], i));
        ports.push_back(modems.back()->PortPath());
    }
    std::vector<double> parallel;
    for (int i = 0; i < runs; ++i) {
        std::vector<q470::PortDiscovery> results;
        parallel.push_back(TimeMs([&] { results = q470::DiscoverPorts(ports, {}); }));
        for (const auto& result : results) {
            if (result.outcome != q470::DiscoveryOutcome::Found) return 1;
        }
    }
    const double together = Median(parallel);
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "<= %.1f ms, 1.3 x the slowest; ratio %.2f", 1.3 * slowest, together / slowest);
    Line("16 ports in parallel", together, ratio);

    // apply against apply --verify on a Q470R at 115200, and what a read alone takes.
    auto device = Device(115200);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "q470-discover-bench.json";
    const std::vector<std::string> line{"-p", device->PortPath(), "-b", "115200"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), line.begin(), line.end());
        return args;
    };
    if (Tool(with({"save", file.string()})) != 0) return 1;
    std::vector<double> apply, verify, read;
    // A restart's "+READY" follows its OK: each run starts once the device is quiet again, so that no
    // run pays for the tail of the one before.
    const auto settled = [](double ms) {
        std::this_thread::sleep_for(kReadyDelay * 3);
        return ms;
    };
    for (int i = 0; i < runs; ++i) {
        apply.push_back(settled(TimeMs([&] { Tool(with({"apply", file.string()})); })));
        verify.push_back(settled(TimeMs([&] { Tool(with({"apply", file.string(), "--verify"})); })));
        read.push_back(settled(TimeMs([&] { Tool(with({"read"})); })));
    }
    std::filesystem::remove(file);
    const double added = Median(verify) - Median(apply);
    std::printf("\n");
    Line("apply", Median(apply), "-");
    Line("apply --verify", Median(verify), "-");
    Line("identify + read (q470ctl read)", Median(read), "-");
    char budget[96];
    std::snprintf(budget, sizeof budget, "<= %.1f ms: one read + the restart's %lld ms", Median(read) + kReadyDelay.count(),
                  static_cast<long long>(kReadyDelay.count()));
    Line("--verify adds", added, budget);
    return 0;
}
