// Stations on one shared database, on simulated units behind fixtures: a unit that passed on one station
// is skipped on the other, the same unit at both at once is provisioned once, and a database that goes
// away in the middle of a run loses no record, lets no unit start meanwhile, and is taken up again by
// itself once it is back.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "postgres_environment.h"
#include "postgres_station_log.h"
#include "station_rig.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<PostgresStationLog> OpenShared(const std::string& target, const std::string& name,
                                               const TempFolder& folder) {
    PostgresStationLog::Options options;
    options.journalFolder = folder.Path("journal");
    options.firstRetry = 20ms;
    options.lastRetry = 100ms;
    LogError error;
    auto log = PostgresStationLog::Open(target, CurrentStation(name), LogAccess::ReadWrite, options, error);
    EXPECT_TRUE(log) << error.detail;
    return log;
}

std::size_t Reads(const sim::SimulatedModem& unit) {
    const auto commands = unit.Commands();
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), "AT+NETINFO?\r"));
}

std::map<std::string, std::vector<std::string>> ResultsByUnit(StationLog& log) {
    LogError error;
    const auto rows = log.Rows({}, error);
    EXPECT_TRUE(rows) << error.detail;
    std::map<std::string, std::vector<std::string>> results;
    for (const auto& row : rows ? *rows : std::vector<LogRow>{})
        results[row.extendedAddress.value_or("")].push_back(row.station + " " + row.result.value_or("-"));
    return results;
}

TEST(SharedStation, TwoStationsOnOneDatabaseProvisionEachUnitOnce) {
    const std::string target = NewDatabaseTarget();
    ASSERT_FALSE(target.empty()) << Cluster().Problem();
    StationRig lineA(2);
    StationRig lineB(2);
    auto recordA = OpenShared(target, "line-a", lineA.folder);
    auto recordB = OpenShared(target, "line-b", lineB.folder);
    ASSERT_TRUE(recordA && recordB);
    lineA.Start({}, nullptr, recordA.get());
    lineB.Start({}, nullptr, recordB.get());

    // Passed on one station, then brought to the other.
    auto& passed = lineA.Unit(0x501);
    lineA.Plug(1, passed);
    ASSERT_TRUE(lineA.WaitForUnits(1));
    auto& broughtOver = lineB.Unit(0x501);
    lineB.Plug(1, broughtOver);
    ASSERT_TRUE(lineB.WaitForUnits(1));
    EXPECT_EQ(lineB.EventsOf(StationEvent::Kind::UnitFinished).back().skipped, StationEvent::Skip::AlreadyPassed);
    EXPECT_EQ(Reads(broughtOver), 0u) << "not worked on";

    // One unit at both stations at the same moment (two simulated units with its address).
    auto& atA = lineA.Unit(0x502);
    auto& atB = lineB.Unit(0x502);
    lineA.Plug(2, atA);
    lineB.Plug(2, atB);
    ASSERT_TRUE(lineA.WaitForUnits(2));
    ASSERT_TRUE(lineB.WaitForUnits(2));
    EXPECT_EQ(Reads(atA) + Reads(atB), 1u) << "provisioned once";
    EXPECT_EQ(
        lineA.EventsOf(StationEvent::Kind::UnitStarted).size() + lineB.EventsOf(StationEvent::Kind::UnitStarted).size(),
        2u);

    auto results = ResultsByUnit(*recordA);
    EXPECT_EQ(results[AddressText(0x501)], (std::vector<std::string>{"line-a pass", "line-b skipped"}));
    auto& both = results[AddressText(0x502)];
    std::sort(both.begin(), both.end());
    EXPECT_TRUE(both == (std::vector<std::string>{"line-a pass", "line-b skipped"}) ||
                both == (std::vector<std::string>{"line-a skipped", "line-b pass"}))
        << testing::PrintToString(both);
}

// The database stops while a unit is in its read step and another unit is plugged meanwhile: the running
// unit finishes and its end is kept on the station; the new one waits, and its fixture says why; once
// the database is back the station hands over what it kept and starts the waiting unit by itself.
TEST(SharedStation, TheDatabaseGoingAwayMidRunLosesNothingAndStartsNothing) {
    const std::string target = NewDatabaseTarget();
    ASSERT_FALSE(target.empty()) << Cluster().Problem();
    StationRig rig(2);
    auto record = OpenShared(target, "line-a", rig.folder);
    ASSERT_TRUE(record);
    std::mutex mutex;
    std::condition_variable changed;
    bool reading = false;
    bool goOn = false;
    rig.runner.onStep = [&](const std::string& port, UnitStep step) {
        if (port != rig.Fixture(1) || step != UnitStep::Read) return;
        std::unique_lock<std::mutex> lock(mutex);
        reading = true;
        changed.notify_all();
        changed.wait(lock, [&] { return goOn; });
    };
    rig.Start({}, nullptr, record.get());
    auto& running = rig.Unit(0x601);
    rig.Plug(1, running);
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, StationRig::kGuard, [&] { return reading; }));
    }
    ASSERT_TRUE(Cluster().Stop());

    auto& waiting = rig.Unit(0x602);
    rig.Plug(2, waiting);
    ASSERT_TRUE(rig.WaitFor([&](const std::vector<StationEvent>& events) {
        return std::any_of(events.begin(), events.end(), [&](const StationEvent& event) {
            return event.kind == StationEvent::Kind::Problem && event.port == rig.Fixture(2) &&
                   event.problem == StationEvent::ProblemKind::LogFailed;
        });
    }));
    {
        std::lock_guard<std::mutex> lock(mutex);
        goOn = true;
    }
    changed.notify_all();
    ASSERT_TRUE(rig.WaitForUnits(1));
    EXPECT_EQ(record->Journaled(), 1u) << "the running unit's end, kept on the station";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(rig.EventsOf(StationEvent::Kind::UnitStarted).size(), 1u) << "nothing starts without the database";
    EXPECT_EQ(Reads(waiting), 0u);

    ASSERT_TRUE(Cluster().Start()) << Cluster().Problem();
    ASSERT_TRUE(rig.WaitForUnits(2));
    rig.station->Stop();
    rig.station->Wait();

    EXPECT_EQ(record->Journaled(), 0u);
    auto results = ResultsByUnit(*record);
    EXPECT_EQ(results[AddressText(0x601)], std::vector<std::string>{"line-a pass"});
    EXPECT_EQ(results[AddressText(0x602)], std::vector<std::string>{"line-a pass"});
    EXPECT_EQ(Reads(running), 1u);
    EXPECT_EQ(Reads(waiting), 1u);
}

}  // namespace
}  // namespace q470::test
