// The production station: 16 fixtures, each plugged with units one after another, every unit paced at
// 115200 baud (or the rate given) and provisioned by `q470ctl station` (identify, read, apply a whole
// Q470R profile, restart, read back). Prints, as its two final lines:
//   station-floor-ratio R     the line floor's units per hour against the station's, where the floor of
//                             one unit is its bytes at the line rate plus its restart, times 16 fixtures;
//                             the station's rate counts each fixture's time with a unit in it (the time
//                             an operator takes to swap units is not the station's)
//   plug-to-first-byte-ms N   the median time from a unit's port appearing to the first byte it received
//   station [units per fixture [baud rate]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "line_floor.h"
#include "q470ctl.h"
#include "simulated_fixture.h"
#include "simulated_modem.h"

namespace {

using Millis = std::chrono::duration<double, std::milli>;
using q470::sim::FixturePlan;
using q470::sim::FixtureUnit;
using q470::sim::SimulatedFixture;

constexpr int kFixtures = 16;
constexpr int kDefaultUnits = 3;
constexpr std::uint32_t kDefaultBaudRate = 115200;
std::uint32_t g_baudRate = kDefaultBaudRate;          // the units' line rate, from the command line
constexpr std::chrono::milliseconds kReadyDelay{30};  // the unit's restart, until its "+READY"
constexpr std::chrono::milliseconds kPlugAfter{20};
// Each fixture's operator takes a little longer than the one before to swap units: sixteen swaps all
// taking the same time keep the fixtures in step, and every unit then waits for fifteen others to have
// their rows written before its own, which a line of people does not do.
constexpr std::chrono::milliseconds kPlugAfterStep{10};
constexpr std::chrono::milliseconds kUnplugAfterRestart{500};

q470::sim::ModemSettings UnitSettings(std::uint64_t address) {
    q470::sim::ModemSettings settings;
    settings.extendedAddress = address;
    settings.baudRate = g_baudRate;
    return settings;
}

void PaceUnit(q470::sim::SimulatedModem& modem) {
    modem.SetPacing(true, g_baudRate);
    modem.SetReadyDelay(kReadyDelay);
}

int RunTool(const std::vector<std::string>& args, std::string& out) {
    std::ostringstream output;
    std::ostringstream err;
    const int status = q470::RunCli(args, output, err);
    out = output.str();
    if (status != 0) {
        std::fprintf(stderr, "station: q470ctl exited with %d: %s", status, err.str().c_str());
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("\"unit-finished\"") != std::string::npos && line.find("\"pass\"") == std::string::npos)
                std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const int unitsPerFixture = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultUnits;
    if (argc > 2) g_baudRate = static_cast<std::uint32_t>(std::max(1200, std::atoi(argv[2])));
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("q470-station-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string profile = (folder / "profile.json").string();
    std::string out;
    {
        q470::sim::SimulatedModem source(UnitSettings(0x00124B0000000000ull));
        if (!source.Start() ||
            RunTool({"save", profile, "-b", std::to_string(g_baudRate), "-p", source.PortPath()}, out) != 0)
            return 1;
    }

    std::vector<std::unique_ptr<SimulatedFixture>> fixtures;
    std::vector<std::string> args{"station",
                                  profile,
                                  "--log",
                                  (folder / "station.sqlite3").string(),
                                  "--json",
                                  "-b",
                                  std::to_string(g_baudRate),
                                  "--units",
                                  std::to_string(kFixtures * unitsPerFixture)};
    for (int f = 0; f < kFixtures; ++f) {
        FixturePlan plan;
        plan.link = (folder / ("fixture-" + std::to_string(f + 1))).string();
        for (int u = 0; u < unitsPerFixture; ++u) {
            plan.units.push_back({UnitSettings(0x00124B0001000000ull + 0x100u * f + u), PaceUnit});
        }
        plan.plugAfter = kPlugAfter + f * kPlugAfterStep;
        plan.unplugAfterRestart = kUnplugAfterRestart;
        args.insert(args.end(), {"-p", plan.link});
        fixtures.push_back(std::make_unique<SimulatedFixture>(plan));
    }
    for (auto& fixture : fixtures) {
        if (!fixture->Start()) return 1;
    }
    if (RunTool(args, out) != 0) return 1;
    // The last units go once their line has been quiet a while, as the others did.
    for (auto& fixture : fixtures) {
        fixture->WaitForUnplugged(static_cast<std::size_t>(unitsPerFixture), std::chrono::seconds(10));
        fixture->Stop();
    }

    // Each fixture's rate over the time it held a unit the station was working on, and each unit's floor.
    double stationPerMs = 0;
    std::vector<double> floors;
    std::vector<double> firstBytes;
    std::vector<double> unitTimes;
    for (const auto& fixture : fixtures) {
        double busyMs = 0;
        int units = 0;
        for (const auto& visit : fixture->Visits()) {
            if (!visit.unpluggedAt || !visit.firstByteAt) continue;
            const double unitMs = Millis(*visit.unpluggedAt - visit.pluggedAt - kUnplugAfterRestart).count();
            busyMs += unitMs;
            unitTimes.push_back(unitMs);
            ++units;
            firstBytes.push_back(Millis(*visit.firstByteAt - visit.pluggedAt).count());
            const auto bytes = q470::bench::CountLineBytes(UnitSettings(visit.extendedAddress), visit.commands);
            floors.push_back(q470::bench::LineMs(bytes.sent + bytes.received, g_baudRate) +
                             Millis(kReadyDelay).count());
        }
        if (units > 0) stationPerMs += units / busyMs;
    }
    fs::remove_all(folder);
    if (floors.empty()) return 1;
    const double floorPerMs = kFixtures / q470::bench::Median(floors);
    const double hour = 3600.0 * 1000.0;
    std::printf("%d fixtures, %d units each, paced at %u baud; per unit (medians): floor %.1f ms, station %.1f ms\n",
                kFixtures, unitsPerFixture, g_baudRate, q470::bench::Median(floors), q470::bench::Median(unitTimes));
    std::printf("units per hour: station %.0f, floor %.0f\n", stationPerMs * hour, floorPerMs * hour);
    std::printf("station-floor-ratio %.2f\n", floorPerMs / stationPerMs);
    std::printf("plug-to-first-byte-ms %.0f\n", q470::bench::Median(firstBytes));
    return 0;
}
