// The station on simulated units behind fixtures that are symbolic links: units plugged at staggered
// times on several fixtures, a unit that comes again, retries after failures that may pass and only
// after those, a stop in the middle of a unit, one unit per port, a limit of units, and a record that
// cannot be written for a while.

#include "station.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "station_rig.h"
#include "usb_port_watch.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::size_t Count(const std::vector<std::string>& commands, const std::string& command) {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

// Sixteen fixtures, a unit plugged into each a little after the one before.
TEST(Station, UnitsPluggedAtStaggeredTimesOnSeveralFixturesAreProvisionedAndRecorded) {
    constexpr int kFixtures = 16;
    StationRig rig(kFixtures);
    const std::string labels = rig.folder.Path("labels");
    StationOptions options;
    options.onPass = "echo \"$Q470_LOG_ID $Q470_EXTENDED_ADDRESS $Q470_RESULT $Q470_PORT\" >> '" + labels + "'";
    rig.Start(options);
    std::map<std::string, std::string> portsOfUnits;
    for (int fixture = 1; fixture <= kFixtures; ++fixture) {
        rig.Plug(fixture, rig.Unit(0x100 + fixture));
        portsOfUnits[AddressText(0x100 + fixture)] = rig.Fixture(fixture);
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(rig.WaitForUnits(kFixtures));
    // The first unit is taken away and the next one plugged into its fixture.
    rig.Unplug(1);
    rig.Plug(1, rig.Unit(0x200));
    portsOfUnits[AddressText(0x200)] = rig.Fixture(1);
    ASSERT_TRUE(rig.WaitForUnits(kFixtures + 1));
    rig.station->Stop();
    rig.station->Wait();

    const std::vector<LogRow> rows = rig.Rows();
    ASSERT_EQ(rows.size(), kFixtures + 1u);
    std::map<std::string, std::string> portOf;
    for (const auto& row : rows) {
        EXPECT_EQ(row.result, "pass");
        EXPECT_EQ(row.model, "Q470R");
        EXPECT_EQ(row.firmware, "1.5.0");
        EXPECT_EQ(row.station, "bench");
        EXPECT_EQ(row.profileSha256, "ab12");
        EXPECT_EQ(row.hook, "ok");
        EXPECT_TRUE(row.durationMs);
        portOf[*row.extendedAddress] = row.port;
    }
    EXPECT_EQ(portOf, portsOfUnits);
    // The label printer heard of each unit once, with its row.
    const std::vector<std::string> lines = Lines(labels);
    const std::set<std::string> heard(lines.begin(), lines.end());
    EXPECT_EQ(lines.size(), heard.size());
    std::set<std::string> expected;
    for (const auto& row : rows)
        expected.insert(std::to_string(row.id) + " " + *row.extendedAddress + " pass " + row.port);
    EXPECT_EQ(heard, expected);

    // Each unit's steps, in order, between its start and its end.
    std::map<std::int64_t, std::vector<std::string>> steps;
    for (const auto& event : rig.Events()) {
        if (event.kind == StationEvent::Kind::UnitStarted) steps[event.logId].push_back("started");
        if (event.kind == StationEvent::Kind::UnitStep) steps[event.logId].emplace_back(UnitStepWord(event.step));
        if (event.kind == StationEvent::Kind::UnitFinished) steps[event.logId].push_back("finished");
    }
    for (const auto& [id, seen] : steps) {
        EXPECT_EQ(seen,
                  (std::vector<std::string>{"started", "find-line", "identify", "check-model", "read", "finished"}))
            << "row " << id;
    }
    const auto events = rig.Events();
    EXPECT_EQ(events.back().kind, StationEvent::Kind::Ended);
    EXPECT_EQ(events.back().counts.passed, kFixtures + 1);
}

// A unit stays where it is after it passed: it is not worked on again. Another unit answering on the
// same port is a new unit; the first one coming back is skipped, as it already passed.
TEST(Station, AUnitIsWorkedOnOnceAndSkippedWhenItComesAgain) {
    StationRig rig(1);
    rig.Start({});
    auto& unit = rig.Unit(0xA1);
    rig.Plug(1, unit);
    ASSERT_TRUE(rig.WaitForUnits(1));
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(rig.EventsOf(StationEvent::Kind::UnitStarted).size(), 1u);

    unit.UpdateSettings([](sim::ModemSettings& settings) { settings.extendedAddress = 0xB2; });
    ASSERT_TRUE(rig.WaitForUnits(2));
    unit.UpdateSettings([](sim::ModemSettings& settings) { settings.extendedAddress = 0xA1; });
    ASSERT_TRUE(rig.WaitForUnits(3));

    const auto rows = rig.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].extendedAddress, AddressText(0xA1));
    EXPECT_EQ(rows[0].result, "pass");
    EXPECT_EQ(rows[1].extendedAddress, AddressText(0xB2));
    EXPECT_EQ(rows[1].result, "pass");
    EXPECT_EQ(rows[2].extendedAddress, AddressText(0xA1));
    EXPECT_EQ(rows[2].result, "skipped");
    EXPECT_EQ(rows[2].note, "already-passed");
    const auto finished = rig.EventsOf(StationEvent::Kind::UnitFinished);
    EXPECT_EQ(finished.back().skipped, StationEvent::Skip::AlreadyPassed);
    EXPECT_EQ(finished.back().counts.passed, 2);
    EXPECT_EQ(finished.back().counts.skipped, 1);
    EXPECT_EQ(rig.EventsOf(StationEvent::Kind::UnitStarted).size(), 2u);
}

// A unit that hangs up is run again once it is back; a unit of another model is refused once, however
// many runs are allowed. The hook after a failed unit runs once, when the unit has ended.
TEST(Station, RunsAgainAfterFailuresThatMayPassOnly) {
    StationRig rig(2);
    const std::string failures = rig.folder.Path("failures");
    StationOptions options;
    options.retries = 2;
    options.onFail = "echo \"$Q470_RESULT $Q470_FAILED_STEP $Q470_MODEL\" >> '" + failures + "'";
    rig.Start(options);

    auto& hangs = rig.Unit(0xC1);
    std::atomic<int> reads{0};
    hangs.SetFaultPolicy([&reads, &rig](const std::string& command) {
        sim::CommandFault fault;
        fault.hangUp = command == "AT+NETINFO?" && reads++ == 0;  // only the read job asks it
        // Its adapter goes with it, as udev would remove its link.
        if (fault.hangUp) rig.Unplug(1);
        return fault;
    });
    auto& other = rig.Unit(0xC2, sim::ModemModel::KS410);
    rig.Plug(1, hangs);
    rig.Plug(2, other);
    for (int i = 0; i < 5000 && !hangs.HungUpAt(); ++i) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(hangs.HungUpAt());
    // Back after its hang-up, on a new pseudo-terminal behind the same fixture.
    std::string error;
    ASSERT_TRUE(hangs.Start(&error)) << error;
    rig.Plug(1, hangs);
    ASSERT_TRUE(rig.WaitForUnits(2));
    rig.station->Stop();
    rig.station->Wait();

    std::vector<std::string> c1, c2;
    for (const auto& row : rig.Rows()) {
        auto& results = *row.extendedAddress == AddressText(0xC1) ? c1 : c2;
        results.push_back(*row.result + (row.failedStep ? " " + *row.failedStep : ""));
    }
    EXPECT_EQ(c1, (std::vector<std::string>{"fail read", "pass"}));
    EXPECT_EQ(c2, (std::vector<std::string>{"fail check-model"}));
    EXPECT_EQ(Lines(failures), std::vector<std::string>{"fail check-model KELDAN-KS410"});
    const auto finished = rig.EventsOf(StationEvent::Kind::UnitFinished);
    ASSERT_FALSE(finished.empty());
    const auto retried = std::find_if(finished.begin(), finished.end(), [](const auto& e) { return e.retrying; });
    ASSERT_NE(retried, finished.end());
    EXPECT_EQ(retried->failure, FailureKind::Transient);
    EXPECT_EQ(retried->counts.Ended(), retried->counts.failed) << "a unit run again has not ended";
    EXPECT_EQ(finished.back().counts.passed, 1);
    EXPECT_EQ(finished.back().counts.failed, 1);
}

// A stop lets the unit finish the step it is in, records it as interrupted there, and ends the station.
TEST(Station, StopLetsTheRunningUnitFinishItsStep) {
    StationRig rig(1);
    rig.runner.onStep = [&rig](const std::string&, UnitStep step) {
        if (step == UnitStep::Identify) rig.station->Stop();
    };
    rig.Start({});
    auto& unit = rig.Unit(0xE1);
    rig.Plug(1, unit);
    ASSERT_TRUE(rig.station->WaitFor(StationRig::kGuard));

    const auto rows = rig.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result, "interrupted");
    EXPECT_EQ(rows[0].failedStep, "check-model");
    const auto commands = unit.Commands();
    EXPECT_EQ(Count(commands, "AT+MODELNAME?\r"), 2u) << "the probe's and the identify job's, which finished";
    EXPECT_EQ(Count(commands, "AT+NETINFO?\r"), 0u) << "no step after the stop";
    EXPECT_EQ(rig.Events().back().kind, StationEvent::Kind::Ended);
    EXPECT_EQ(rig.Events().back().counts.interrupted, 1);
}

// Without named ports every USB serial port that appears is a fixture; with one unit per port the
// station ends by itself once each has had its unit.
TEST(Station, OneUnitPerPortOnEveryUsbPortThatAppears) {
    StationRig rig(0);
    UsbPortWatch::Options watching;
    watching.deviceFolder = rig.folder.Path("dev");
    watching.forcePolling = true;  // pseudo-terminals are no USB devices: udev would not tell them
    watching.pollInterval = 20ms;
    StationOptions options;
    options.once = true;
    rig.Start(options, std::make_unique<UsbPortWatch>(watching));
    auto& first = rig.Unit(0xD1);
    auto& second = rig.Unit(0xD2);
    fs::create_directories(rig.folder.Path("plugging"));
    fs::create_symlink(first.PortPath(), rig.folder.Path("plugging/ttyUSB0"));
    fs::create_symlink(second.PortPath(), rig.folder.Path("plugging/ttyACM1"));
    fs::rename(rig.folder.Path("plugging"), rig.folder.Path("dev"));  // both at once
    ASSERT_TRUE(rig.station->WaitFor(StationRig::kGuard));

    std::map<std::string, std::string> results;
    for (const auto& row : rig.Rows()) results[row.port] = *row.result;
    EXPECT_EQ(results, (std::map<std::string, std::string>{{rig.folder.Path("dev/ttyUSB0"), "pass"},
                                                           {rig.folder.Path("dev/ttyACM1"), "pass"}}));
}

// The station ends once as many units as asked for have ended; no further unit starts.
TEST(Station, EndsAfterTheNumberOfUnitsAskedFor) {
    StationRig rig(2);
    StationOptions options;
    options.units = 3;
    rig.Start(options);
    auto& a = rig.Unit(0xF1);
    auto& b = rig.Unit(0xF2);
    rig.Plug(1, a);
    rig.Plug(2, b);
    ASSERT_TRUE(rig.WaitForUnits(2));
    a.UpdateSettings([](sim::ModemSettings& settings) { settings.extendedAddress = 0xF3; });
    ASSERT_TRUE(rig.station->WaitFor(StationRig::kGuard));
    b.UpdateSettings([](sim::ModemSettings& settings) { settings.extendedAddress = 0xF4; });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(rig.Rows().size(), 3u);
    EXPECT_EQ(rig.Events().back().counts.passed, 3);
}

// The record refuses rows for a while (a full disk): no unit is worked on meanwhile, the fixture says
// why, and the unit is worked on once its row can be written.
class RefusingLog final : public StationLog {
public:
    RefusingLog(StationLog& inner, int refusals) : inner_(inner), refusals_(refusals) {}
    std::string Where() const override { return inner_.Where(); }
    const std::string& Station() const override { return inner_.Station(); }
    std::optional<int> MarkInterrupted(LogError& error) override { return inner_.MarkInterrupted(error); }
    std::optional<UnitBegin> BeginUnit(const UnitStart& start, bool again, LogError& error) override {
        if (refusals_-- > 0) {
            error = {LogError::Kind::Failed, "database or disk is full"};
            return std::nullopt;
        }
        return inner_.BeginUnit(start, again, error);
    }
    bool FinishUnit(std::int64_t id, const UnitEnd& end, LogError& error) override {
        return inner_.FinishUnit(id, end, error);
    }
    bool RecordHook(std::int64_t id, const std::string& outcome, LogError& error) override {
        return inner_.RecordHook(id, outcome, error);
    }
    std::optional<bool> HasPassed(const std::string& address, const std::string& sha, LogError& error) override {
        return inner_.HasPassed(address, sha, error);
    }
    std::optional<std::vector<LogRow>> Rows(const RowQuery& query, LogError& error) override {
        return inner_.Rows(query, error);
    }

private:
    StationLog& inner_;
    std::atomic<int> refusals_;
};

TEST(Station, NoUnitIsWorkedOnWithoutItsRow) {
    StationRig rig(1);
    RefusingLog refusing(*rig.log, 2);
    rig.Start({}, nullptr, &refusing);
    auto& unit = rig.Unit(0x99);
    rig.Plug(1, unit);
    ASSERT_TRUE(rig.WaitForUnits(1));

    std::vector<std::string> seen;
    for (const auto& event : rig.Events()) {
        if (event.kind == StationEvent::Kind::Problem) seen.push_back("problem: " + event.detail);
        if (event.kind == StationEvent::Kind::State && event.state == FixtureState::Paused) seen.emplace_back("paused");
        if (event.kind == StationEvent::Kind::UnitStarted) seen.emplace_back("started");
    }
    // Told once while it lasts; the fixture pauses at each try.
    EXPECT_EQ(seen, (std::vector<std::string>{"problem: database or disk is full", "paused", "paused", "started"}));
    EXPECT_EQ(Count(unit.Commands(), "AT+NETINFO?\r"), 1u) << "read once, after its row was written";
    EXPECT_EQ(rig.Rows().size(), 1u);
}

}  // namespace
}  // namespace q470::test
