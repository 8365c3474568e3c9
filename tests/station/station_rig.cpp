#include "station_rig.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "device_records.h"
#include "named_port_watch.h"

namespace q470::test {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string AddressText(std::uint64_t address) {
    return FormatExtendedAddress(address);
}

StationRig::StationRig(int fixtures, std::uint32_t model) : runner(model), fixtures_(fixtures) {
    LogError error;
    log = SqliteStationLog::Open(folder.Path("station.sqlite3"), CurrentStation("bench"),
                                 SqliteStationLog::Access::ReadWrite, error);
    EXPECT_TRUE(log) << error.detail;
}

StationRig::~StationRig() {
    station.reset();  // stops and waits before the units go
    units_.clear();
}

sim::SimulatedModem& StationRig::Unit(std::uint64_t address, sim::ModemModel model) {
    sim::ModemSettings settings = sim::FactorySettings(model);
    settings.extendedAddress = address;
    units_.push_back(std::make_unique<sim::SimulatedModem>(settings));
    std::string error;
    EXPECT_TRUE(units_.back()->Start(&error)) << error;
    return *units_.back();
}

std::string StationRig::Fixture(int index) const {
    return folder.Path("fixture-" + std::to_string(index));
}

void StationRig::Plug(int fixture, const sim::SimulatedModem& unit) {
    const std::string fresh = Fixture(fixture) + ".new";
    fs::create_symlink(unit.PortPath(), fresh);
    fs::rename(fresh, Fixture(fixture));
}

void StationRig::Unplug(int fixture) {
    fs::remove(Fixture(fixture));
}

void StationRig::Start(StationOptions options, std::unique_ptr<PortWatch> given, StationLog* record) {
    options.profile = StationProfile{"line-a.json", "ab12"};
    options.toolVersion = "1.5.0";
    if (options.probeInterval == StationOptions{}.probeInterval) options.probeInterval = 20ms;
    if (given) {
        watch = std::move(given);
    } else {
        std::vector<std::string> ports;
        for (int i = 1; i <= fixtures_; ++i) ports.push_back(Fixture(i));
        watch = std::make_unique<NamedPortWatch>(ports);
    }
    station = std::make_unique<Station>(record != nullptr ? *record : *log, runner, *watch, options,
                                        [this](const StationEvent& event) {
                                            std::lock_guard<std::mutex> lock(mutex_);
                                            events_.push_back(event);
                                            changed_.notify_all();
                                        });
    const auto started = station->Start();
    ASSERT_TRUE(started.started) << started.log.detail << started.watch.message();
}

bool StationRig::WaitFor(const std::function<bool(const std::vector<StationEvent>&)>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kGuard, [&] { return done(events_); });
}

bool StationRig::WaitForUnits(int count) {
    return WaitFor([count](const std::vector<StationEvent>& events) {
        return !events.empty() && events.back().counts.Ended() >= count;
    });
}

std::vector<StationEvent> StationRig::Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<StationEvent> StationRig::EventsOf(StationEvent::Kind kind) {
    std::vector<StationEvent> found;
    for (auto& event : Events()) {
        if (event.kind == kind) found.push_back(std::move(event));
    }
    return found;
}

std::vector<LogRow> StationRig::Rows() {
    LogError error;
    auto rows = log->Rows({}, error);
    EXPECT_TRUE(rows) << error.detail;
    return rows ? *rows : std::vector<LogRow>{};
}

}  // namespace q470::test
