#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "port_watch.h"
#include "sim_unit_runner.h"
#include "simulated_modem.h"
#include "sqlite_station_log.h"
#include "station.h"
#include "temp_folder.h"

namespace q470::test {

// A station on simulated units: its record in a temporary folder, fixtures that are symbolic links in
// that folder (plugging a unit points a fixture's link at the unit's pseudo-terminal, unplugging
// removes the link), the test runner, and every event the station told.
class StationRig {
public:
    static constexpr auto kGuard = std::chrono::seconds(20);  // only a hang gets near it

    explicit StationRig(int fixtures, std::uint32_t model = ModelQ470R);
    ~StationRig();

    // A running simulated unit with this extended address (and model), kept until the station has
    // stopped: a unit that went first would leave a fixture's link to a pseudo-terminal number that
    // another program may get next.
    sim::SimulatedModem& Unit(std::uint64_t address, sim::ModemModel model = sim::ModemModel::Q470R);
    std::string Fixture(int index) const;
    void Plug(int fixture, const sim::SimulatedModem& unit);
    void Unplug(int fixture);

    // Starts the station with `options` (the profile and a quick probe are filled in), watching the
    // fixtures or, when given, `watch`, and writing to `log` or, when given, `record`.
    void Start(StationOptions options, std::unique_ptr<PortWatch> watch = nullptr, StationLog* record = nullptr);
    // Waits until `count` units have ended; false when they did not within the guard.
    bool WaitForUnits(int count);
    bool WaitFor(const std::function<bool(const std::vector<StationEvent>&)>& done);
    std::vector<StationEvent> Events();
    std::vector<LogRow> Rows();
    // The events of one kind, in order.
    std::vector<StationEvent> EventsOf(StationEvent::Kind kind);

    TempFolder folder;
    SimUnitRunner runner;
    std::unique_ptr<SqliteStationLog> log;
    std::unique_ptr<PortWatch> watch;
    std::unique_ptr<Station> station;

private:
    int fixtures_;
    std::vector<std::unique_ptr<sim::SimulatedModem>> units_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<StationEvent> events_;
};

// The record's address of a simulated unit's extended address.
std::string AddressText(std::uint64_t address);

}  // namespace q470::test
