// q470ctl station in-process against production fixtures played by simulated modems: units provisioned
// and read back on several fixtures at once, the record, the units it must not provision or must give
// up on, a stop, and what keeps it from starting.

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/schema.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "q470ctl.h"
#include "simulated_fixture.h"
#include "sqlite_station_log.h"
#include "station_identity.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

using sim::FixturePlan;
using sim::FixtureUnit;
using sim::SimulatedFixture;
using std::chrono::milliseconds;

constexpr std::uint64_t kFirstAddress = 0x00124B0000000001ull;
constexpr milliseconds kGuard{20000};  // only a hang gets near it

// A profile that moves the unit to PAN ID 777: every unit starts at 1234.
constexpr const char* kProfile = R"({"Model Name": "Q470R", "General": {"PAN ID": 777}})";

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

FixtureUnit Unit(std::uint64_t address, std::function<void(sim::SimulatedModem&)> prepare = {},
                 sim::ModemModel model = sim::ModemModel::Q470R) {
    sim::ModemSettings settings;
    settings.model = model;
    settings.extendedAddress = address;
    return {settings, std::move(prepare)};
}

class StationCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("Q470_LANG", "en", 1);
        std::ofstream(profile_) << kProfile;
    }

    // A fixture whose units are plugged `plugAfter` after it became empty and taken out once their line
    // has been quiet a moment after their restart.
    SimulatedFixture& Fixture(std::vector<FixtureUnit> units, milliseconds plugAfter = milliseconds(20)) {
        FixturePlan plan{folder_.Path("by-path/fixture-" + std::to_string(fixtures_.size() + 1)), std::move(units),
                         plugAfter, milliseconds(100)};
        fixtures_.push_back(std::make_unique<SimulatedFixture>(std::move(plan)));
        EXPECT_TRUE(fixtures_.back()->Start());
        return *fixtures_.back();
    }

    // q470ctl station with the profile, every fixture's link as -p and the test's record, plus `extra`.
    // A station that outlives the guard is stopped, so that a hang fails the test instead of the suite.
    ToolRun Station(std::vector<std::string> extra) {
        std::vector<std::string> args{"station", profile_, "--log", record_};
        if (json_) args.push_back("--json");
        for (const auto& fixture : fixtures_) {
            args.push_back("-p");
            args.push_back(fixture->Link());
        }
        args.insert(args.end(), extra.begin(), extra.end());
        CliEnvironment environment;
        environment.stop = &stop_;
        environment.outputTerminal = terminal_;
        auto run = std::async(std::launch::async, [args, environment] {
            std::ostringstream out, err;
            const int status = RunCli(args, out, err, environment);
            return ToolRun{status, out.str(), err.str()};
        });
        if (run.wait_for(kGuard) != std::future_status::ready) {
            ADD_FAILURE() << "the station did not end";
            stop_.Request(SIGTERM);
            stop_.Request(SIGTERM);
        }
        return run.get();
    }

    // Every event the station printed, each line checked to be one event of the documented schema.
    static std::vector<rapidjson::Document> Events(const std::string& out) {
        static const rapidjson::SchemaDocument schema = [] {
            std::ifstream file(Q470CTL_STATION_SCHEMA);
            std::stringstream text;
            text << file.rdbuf();
            rapidjson::Document document;
            document.Parse(text.str().c_str());
            EXPECT_FALSE(document.HasParseError());
            return rapidjson::SchemaDocument(document);
        }();
        std::vector<rapidjson::Document> events;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            rapidjson::Document event;
            event.Parse(line.c_str());
            EXPECT_FALSE(event.HasParseError()) << line;
            rapidjson::SchemaValidator validator(schema);
            if (!event.HasParseError() && !event.Accept(validator)) {
                rapidjson::StringBuffer where;
                validator.GetInvalidSchemaPointer().StringifyUriFragment(where);
                ADD_FAILURE() << line << " breaks the schema at " << where.GetString() << " ("
                              << validator.GetInvalidSchemaKeyword() << ")";
            }
            if (!event.HasParseError()) events.push_back(std::move(event));
        }
        return events;
    }

    // The unit-finished events, pointing into `events`.
    static std::vector<const rapidjson::Value*> Finished(const std::vector<rapidjson::Document>& events) {
        std::vector<const rapidjson::Value*> finished;
        for (const auto& event : events) {
            if (std::string(event["event"].GetString()) == "unit-finished") finished.push_back(&event);
        }
        return finished;
    }

    std::vector<LogRow> Rows() {
        LogError error;
        auto log = SqliteStationLog::Open(record_, CurrentStation("reader"), SqliteStationLog::Access::ReadOnly, error);
        EXPECT_TRUE(log) << error.detail;
        if (!log) return {};
        auto rows = log->Rows({}, error);
        EXPECT_TRUE(rows) << error.detail;
        return rows ? *rows : std::vector<LogRow>{};
    }

    // Whether any unit of the fixture was sent a setting at all; the fixture's plan ends.
    static bool AnythingWritten(SimulatedFixture& fixture) {
        fixture.Stop();
        for (const auto& visit : fixture.Visits()) {
            for (const auto& command : visit.commands) {
                if (command.find('=') != std::string::npos) return true;
            }
        }
        return false;
    }

    TempFolder folder_;
    const std::string profile_ = folder_.Path("line-a.json");
    const std::string record_ = folder_.Path("station.sqlite3");
    std::vector<std::unique_ptr<SimulatedFixture>> fixtures_;
    StopRequest stop_;
    bool json_ = true;
    bool terminal_ = false;
};

TEST_F(StationCommandTest, UnitsPluggedAtStaggeredTimesOnSeveralFixturesAreProvisionedVerifiedAndRecorded) {
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t first = kFirstAddress + 10 * i;
        Fixture({Unit(first), Unit(first + 1)}, milliseconds(30 + 80 * i));
    }
    const ToolRun run = Station({"--units", "6"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;

    const auto events = Events(run.out);
    const auto finished = Finished(events);
    ASSERT_EQ(finished.size(), 6u) << run.out;
    std::set<std::string> addresses;
    for (const auto* event : finished) {
        EXPECT_STREQ((*event)["result"].GetString(), "pass");
        addresses.insert((*event)["unit"]["extendedAddress"].GetString());
    }
    EXPECT_EQ(addresses.size(), 6u) << "each unit provisioned once";
    EXPECT_STREQ(events.back()["event"].GetString(), "ended");
    EXPECT_EQ(events.back()["counts"]["passed"], 6);

    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& row : rows) {
        EXPECT_EQ(row.result.value_or(""), "pass");
        EXPECT_EQ(row.profileName, "line-a.json");
        EXPECT_EQ(row.model.value_or(""), "Q470R");
        EXPECT_TRUE(addresses.count(row.extendedAddress.value_or(""))) << row.extendedAddress.value_or("-");
    }
    // Written, restarted and read again after the restart.
    for (const auto& fixture : fixtures_) {
        fixture->Stop();
        for (const auto& visit : fixture->Visits()) {
            const auto& sent = visit.commands;
            const auto set = std::find(sent.begin(), sent.end(), "AT+PANID=777\r");
            ASSERT_NE(set, sent.end());
            const auto restart = std::find(set, sent.end(), "ATZ\r");
            ASSERT_NE(restart, sent.end());
            EXPECT_NE(std::find(restart, sent.end(), "AT+MODELNAME?\r"), sent.end());
        }
    }
}

TEST_F(StationCommandTest, AUnitThatPassedWithTheProfileIsSkippedUnlessAgain) {
    Fixture({Unit(kFirstAddress), Unit(kFirstAddress), Unit(kFirstAddress)});
    ToolRun run = Station({"--units", "2"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    auto events = Events(run.out);
    auto finished = Finished(events);
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_STREQ((*finished[0])["result"].GetString(), "pass");
    EXPECT_STREQ((*finished[1])["result"].GetString(), "skipped");
    EXPECT_STREQ((*finished[1])["skipped"].GetString(), "already-passed");
    EXPECT_EQ(fixtures_[0]->Visits().at(1).commands.end(),
              std::find(fixtures_[0]->Visits().at(1).commands.begin(), fixtures_[0]->Visits().at(1).commands.end(),
                        "AT+PANID=777\r"))
        << "a skipped unit is not written to";

    run = Station({"--units", "1", "--again"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    events = Events(run.out);
    finished = Finished(events);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_STREQ((*finished[0])["result"].GetString(), "pass");
}

// Units the station must give up on: what the record says, whether it tried again, and that the fixture
// goes on with its next unit.
TEST_F(StationCommandTest, AFailedUnitIsRecordedWithItsStepAndARefusalIsNotRunAgain) {
    struct Case {
        const char* name;
        FixtureUnit unit;
        const char* failedStep;
        const char* failure;
        bool written;
        const char* retries;
        bool nextUnit = false;  // another unit follows in the fixture and passes
        const char* note = "";  // the record's remark
    };
    const auto neverBack = [](sim::SimulatedModem& m) {
        m.SetReenumeration({true, sim::ReturnName::Never, milliseconds(100)});
    };
    FixtureUnit quietHangsUp = Unit(kFirstAddress, [](sim::SimulatedModem& m) {
        sim::CommandFault fault;
        fault.hangUp = true;
        m.SetFault("AT+QM=1", fault);
    });
    quietHangsUp.settings.quietMode = true;
    const Case cases[] = {
        {"refuses the PAN ID",
         Unit(kFirstAddress, [](sim::SimulatedModem& m) { m.SetFault("AT+PANID=", sim::CommandFault::Refused()); }),
         "apply", "final", true, "2"},
        // A retry waits for the same unit to answer again; this one does not come back.
        {"hangs up mid-apply",
         Unit(kFirstAddress,
              [](sim::SimulatedModem& m) {
                  sim::CommandFault fault;
                  fault.hangUp = true;
                  m.SetFault("AT+PANID=", fault);
              }),
         "apply", "transient", true, "0"},
        {"another model", Unit(kFirstAddress, {}, sim::ModemModel::KS410), "check-model", "final", false, "2"},
        // Its port goes with the restart and never returns: given up at the end of the restart budget.
        {"never comes back after its restart", Unit(kFirstAddress, neverBack), "find-again", "transient", true, "0"},
        // The next unit is plugged in where it went: that one is not read back in its place.
        {"never comes back, the next unit in its place", Unit(kFirstAddress, neverBack), "read-back", "final", true,
         "0", true},
        // Switched to answering for the write, it hangs up when told to be quiet again.
        {"quiet, hangs up as its quiet mode is put back", quietHangsUp, "apply", "transient", true, "0", false,
         "quiet-mode-not-restored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixtures_.clear();
        std::remove(record_.c_str());
        std::vector<FixtureUnit> units{c.unit};
        if (c.nextUnit) {
            // It holds the profile's PAN ID already: read back in the first unit's place, it would pass it.
            FixtureUnit next = Unit(kFirstAddress + 1);
            next.settings.panId = 777;
            units.push_back(next);
        }
        Fixture(units);
        const ToolRun run = Station({"--units", c.nextUnit ? "2" : "1", "--retries", c.retries});
        EXPECT_EQ(run.status, 1) << run.err << run.out;
        const auto events = Events(run.out);
        const auto finished = Finished(events);
        ASSERT_EQ(finished.size(), c.nextUnit ? 2u : 1u) << run.out;
        if (c.nextUnit) {
            EXPECT_STREQ((*finished[1])["result"].GetString(), "pass");
        }
        const auto& event = *finished[0];
        EXPECT_STREQ(event["result"].GetString(), "fail");
        EXPECT_STREQ(event["failedStep"].GetString(), c.failedStep);
        EXPECT_STREQ(event["failure"].GetString(), c.failure);
        EXPECT_FALSE(event["retrying"].GetBool());
        EXPECT_EQ(AnythingWritten(*fixtures_[0]), c.written);
        const auto rows = Rows();
        ASSERT_FALSE(rows.empty());
        const LogRow& failed = c.nextUnit ? rows.front() : rows.back();
        EXPECT_EQ(failed.result.value_or(""), "fail");
        EXPECT_EQ(failed.failedStep.value_or(""), c.failedStep);
        EXPECT_EQ(failed.note.value_or(""), c.note);
        if (std::string(c.failure) == "final") {
            EXPECT_EQ(rows.size(), c.nextUnit ? 2u : 1u) << "no second run after a refusal";
        }
    }
}

// Units that answer late, one after another on one fixture: an answer slower than usual but inside the
// command's time-out is taken; one that comes after it fails the unit at its step (a transient failure),
// and once that unit is taken out the fixture's next unit is provisioned as usual.
TEST_F(StationCommandTest, ALateAnswerPassesWithinTheTimeOutAndFailsItsStepBeyondItAndTheFixtureGoesOn) {
    const auto lateBy = [](milliseconds delay) {
        return [delay](sim::SimulatedModem& m) {
            sim::CommandFault late;
            late.delay = delay;
            m.SetFault("AT+PANID=", late);
        };
    };
    struct Case {
        const char* name;
        milliseconds delay;
        const char* result;
        const char* failedStep;  // "" when it passes
    };
    const Case cases[] = {
        {"slower than usual", milliseconds(700), "pass", ""},
        {"after the time-out", milliseconds(2600), "fail", "apply"},
        {"on time", milliseconds(0), "pass", ""},
    };
    std::vector<FixtureUnit> units;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        units.push_back(Unit(kFirstAddress + i, lateBy(cases[i].delay)));
    }
    SimulatedFixture& fixture = Fixture(std::move(units));
    // A unit that failed stays in its fixture until the operator takes it out.
    std::atomic<bool> done{false};
    std::thread operatorHand([&] {
        while (!done) {
            LogError error;
            const auto log = std::filesystem::exists(record_)
                                 ? SqliteStationLog::Open(record_, CurrentStation("reader"),
                                                          SqliteStationLog::Access::ReadOnly, error)
                                 : nullptr;
            const auto rows = log ? log->Rows({}, error) : std::nullopt;
            if (rows && rows->size() >= 2 && (*rows)[1].result) {
                fixture.Unplug();
                return;
            }
            std::this_thread::sleep_for(milliseconds(20));
        }
    });
    const ToolRun run = Station({"--units", "3", "--retries", "0"});
    done = true;
    operatorHand.join();
    EXPECT_EQ(run.status, 1) << run.err << run.out;
    const auto events = Events(run.out);
    const auto finished = Finished(events);
    ASSERT_EQ(finished.size(), std::size(cases)) << run.out;
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        const auto& event = *finished[i];
        EXPECT_EQ(event["unit"]["extendedAddress"].GetString(), rows[i].extendedAddress.value_or(""));
        EXPECT_STREQ(event["result"].GetString(), cases[i].result);
        if (*cases[i].failedStep) {
            EXPECT_STREQ(event["failedStep"].GetString(), cases[i].failedStep);
            EXPECT_STREQ(event["failure"].GetString(), "transient");
        }
        EXPECT_EQ(rows[i].result.value_or(""), cases[i].result);
        EXPECT_EQ(rows[i].failedStep.value_or(""), cases[i].failedStep);
    }
}

// A unit that answers neither at the profile's line nor at the connection's is searched for, once it has
// been silent for a while (seconds: the search waits for a unit still starting up).
TEST_F(StationCommandTest, AUnitAtAnotherLineRateIsFoundAndProvisionedThere) {
    FixtureUnit unit = Unit(kFirstAddress);
    unit.settings.baudRate = 38400;
    Fixture({unit});
    const ToolRun run = Station({"--units", "1", "-b", "9600"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result.value_or(""), "pass");
}

TEST_F(StationCommandTest, OnceTakesOneUnitPerFixture) {
    Fixture({Unit(kFirstAddress), Unit(kFirstAddress + 1)});
    Fixture({Unit(kFirstAddress + 10), Unit(kFirstAddress + 11)}, milliseconds(150));
    const ToolRun run = Station({"--once"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(Finished(Events(run.out)).size(), 2u);
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(StationCommandTest, AStopLetsTheUnitFinishItsStepRecordsItAndEndsWith130) {
    Fixture({Unit(kFirstAddress, [](sim::SimulatedModem& m) {
        sim::CommandFault slow;
        slow.delay = milliseconds(400);
        m.SetFault("AT+PANID=", slow);
    })});
    std::thread stopper([&] {
        // Once the unit is being written to.
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto visits = fixtures_[0]->Visits();
            if (!visits.empty() && visits[0].firstByteAt) break;
            std::this_thread::sleep_for(milliseconds(5));
        }
        std::this_thread::sleep_for(milliseconds(150));
        stop_.Request(SIGINT);
    });
    const ToolRun run = Station({});
    stopper.join();
    EXPECT_EQ(run.status, 130) << run.err << run.out;
    const auto events = Events(run.out);
    ASSERT_FALSE(events.empty());
    EXPECT_STREQ(events.back()["event"].GetString(), "ended");
    EXPECT_EQ(events.back()["counts"]["interrupted"], 1);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result.value_or(""), "interrupted");
    EXPECT_TRUE(rows[0].finishedAt.has_value()) << "the row was completed, not left for the next start";
}

// A station killed mid-unit leaves the unit's row open; its next start says it was interrupted.
TEST_F(StationCommandTest, ARowLeftOpenByAKilledStationIsMarkedInterruptedByItsNextStart) {
    SimulatedFixture& fixture = Fixture({Unit(kFirstAddress, [](sim::SimulatedModem& m) {
        sim::CommandFault slow;
        slow.delay = milliseconds(3000);
        m.SetFault("AT+PANID=", slow);
    })});
    {
        ChildProcess killed(Q470CTL_EXECUTABLE,
                            {"station", profile_, "--log", record_, "--station-name", "line-a", "-p", fixture.Link()},
                            ChildProcess::StandardOutput::Discarded);
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < deadline) {
            // Until the station has made its record, there is none to read.
            LogError error;
            const auto log =
                SqliteStationLog::Open(record_, CurrentStation("reader"), SqliteStationLog::Access::ReadOnly, error);
            const auto rows = log ? log->Rows({}, error) : std::nullopt;
            if (rows && !rows->empty() && !rows->front().result) break;
            std::this_thread::sleep_for(milliseconds(20));
        }
        killed.Signal(SIGKILL);
        EXPECT_EQ(killed.Wait(kGuard), 128 + SIGKILL);
    }
    auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_FALSE(rows[0].result.has_value()) << "the row was open when the station was killed";

    // The next start of that station, on an empty fixture, stopped once it has started.
    fixture.Stop();
    std::thread stopper([&] {
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < deadline && !Rows().at(0).result)
            std::this_thread::sleep_for(milliseconds(20));
        stop_.Request(SIGINT);
    });
    const ToolRun run = Station({"--station-name", "line-a"});
    stopper.join();
    EXPECT_EQ(run.status, 130) << run.err;
    rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result.value_or(""), "interrupted");
}

// Without --json: a line per event for a log file or a pipe, a view redrawn in place at a terminal; both
// end with the counts.
TEST_F(StationCommandTest, WithoutJsonEventsArePlainLinesOrARedrawnViewAtATerminal) {
    json_ = false;
    const std::string address = "00:12:4B:00:00:00:00:01";
    for (const bool terminal : {false, true}) {
        SCOPED_TRACE(terminal ? "terminal" : "lines");
        terminal_ = terminal;
        fixtures_.clear();
        std::remove(record_.c_str());
        Fixture({Unit(kFirstAddress)});
        const ToolRun run = Station({"--units", "1"});
        ASSERT_EQ(run.status, 0) << run.err << run.out;
        EXPECT_NE(run.err.find("profile line-a.json (Q470R)"), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("1 passed, 0 failed, 0 skipped, 0 interrupted"), std::string::npos) << run.out;
        if (terminal) {
            EXPECT_NE(run.out.find("\x1b[2K" + fixtures_[0]->Link() + "  "), std::string::npos) << run.out;
            EXPECT_NE(run.out.find("\x1b[2F"), std::string::npos) << "the fixture's line and the counts, redrawn";
        } else {
            EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
            EXPECT_NE(run.out.find(fixtures_[0]->Link() + ": pass " + address), std::string::npos) << run.out;
            EXPECT_NE(run.out.find(fixtures_[0]->Link() + ": apply"), std::string::npos) << run.out;
        }
    }
}

// Nothing is provisioned when the station cannot keep its record or the profile is not one to apply.
TEST_F(StationCommandTest, TheStationDoesNotStartWithoutARecordOrAProfileItCanApply) {
    Fixture({Unit(kFirstAddress)});
    ASSERT_TRUE(std::filesystem::create_directories(folder_.Path("a-folder")));
    std::ofstream(folder_.Path("bad.json")) << R"({"Model Name": "Q470R", "General": {"PAN ID": 0}})";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"station", profile_, "--log", folder_.Path("a-folder")}, 4, "cannot write the station record"},
        {{"station", profile_, "--log", profile_ + "/station.sqlite3"}, 4, "cannot write the station record"},
        {{"station", folder_.Path("bad.json"), "--log", record_}, 4, "PAN ID"},
        {{"station", folder_.Path("missing.json"), "--log", record_}, 4, "missing.json"},
        {{"station", profile_, "--sim", "Q470R"}, 2, "--sim"},
        {{"read", "-p", "x", "--again"}, 2, "--again belongs to the station command"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("-p");
        args.push_back(fixtures_[0]->Link());
        std::ostringstream out, err;
        EXPECT_EQ(RunCli(args, out, err), c.status) << err.str();
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    EXPECT_FALSE(AnythingWritten(*fixtures_[0]));
}

}  // namespace
}  // namespace q470::test
