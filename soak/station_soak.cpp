#include "station_soak.h"

#include <rapidjson/document.h>
#include <signal.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "child_process.h"
#include "simulated_fixture.h"
#include "sqlite_station_log.h"
#include "station_identity.h"

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using test::ChildProcess;

// A stopped station ends within this: the step under way (an answer is never held back beyond kMaxDelay
// here), the records, the summary.
constexpr auto kStopLimit = 5s;
constexpr auto kStartLimit = 10s;
constexpr auto kMaxDelay = 120ms;
constexpr std::chrono::seconds kWatchdogLimit{60};
constexpr const char* kProfile = R"({"Model Name": "Q470R", "General": {"PAN ID": 777, "Operation Mode": 2}})";

struct Ending {
    int signal;
    const char* name;
};
constexpr Ending kEndings[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGKILL, "SIGKILL"}};

class RunFolder {
public:
    RunFolder() {
        char pattern[] = "/tmp/q470-station-soak-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Whether every line is an event of schema version 1; the last event's counts go to `counts`.
bool EventsWhole(const std::string& out, std::string& lastEvent, std::map<std::string, int>& counts, std::string& bad) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        rapidjson::Document event;
        event.Parse(line.c_str());
        if (event.HasParseError() || !event.IsObject() || !event.HasMember("schemaVersion") ||
            event["schemaVersion"] != 1 || !event.HasMember("event") || !event["event"].IsString() ||
            !event.HasMember("counts") || !event["counts"].IsObject()) {
            bad = line;
            return false;
        }
        lastEvent = event["event"].GetString();
        counts.clear();
        for (const char* name : {"passed", "failed", "skipped", "interrupted"})
            counts[name] = event["counts"][name].GetInt();
    }
    return true;
}

}  // namespace

StationSoak::StationSoak(const SoakOptions& options, std::string tool)
    : options_(options), tool_(std::move(tool)), random_(options.seed), watchdog_(kWatchdogLimit, options.seed) {
    ::setenv("Q470_LANG", "en", 1);
}

int StationSoak::Run() {
    const auto start = Clock::now();
    while (!failed_ && Clock::now() - start < options_.length) RunOnce();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("station soak: %llu runs in %.0f s; rows:", static_cast<unsigned long long>(runs_), seconds);
    for (const auto& [result, count] : totals_) std::printf(" %s %d", result.c_str(), count);
    std::printf("\n%s\n", failed_ ? "FAILED" : "passed");
    return failed_ ? 1 : 0;
}

void StationSoak::Fail(const std::string& what, const std::string& errors) {
    failed_ = true;
    std::printf("station soak: run %llu: %s\n%s\n", static_cast<unsigned long long>(runs_), what.c_str(),
                errors.c_str());
}

bool StationSoak::RecordComplete(const std::string& record, std::map<std::string, int>& results) {
    LogError error;
    auto log = SqliteStationLog::Open(record, CurrentStation("soak"), SqliteStationLog::Access::ReadOnly, error);
    if (!log) return !std::filesystem::exists(record);  // the station was killed before it made one
    const auto rows = log->Rows({}, error);
    if (!rows) return false;
    results.clear();
    for (const auto& row : *rows) {
        if (!row.result || row.result->empty()) return false;
        ++results[*row.result];
    }
    return true;
}

void StationSoak::RunOnce() {
    ++runs_;
    RunFolder folder;
    if (folder.Path().empty()) return Fail("cannot make a folder", {});
    const std::string profile = folder.Path() + "/profile.json";
    const std::string record = folder.Path() + "/station.sqlite3";
    std::ofstream(profile) << kProfile;

    // Some units run mostly clean, so that runs get to their read-back; others fail nearly everything.
    const double intensity = random_.Chance(0.5) ? 0.0 : 0.2 * random_.Below(6);
    const std::uint32_t fixtureCount = 1 + random_.Below(4);
    std::vector<std::unique_ptr<sim::SimulatedFixture>> fixtures;
    std::vector<std::string> args{
        "station", profile, "--log", record, "--json", "--retries", std::to_string(random_.Below(2))};
    for (std::uint32_t f = 0; f < fixtureCount; ++f) {
        sim::FixturePlan plan;
        plan.link = folder.Path() + "/fixture-" + std::to_string(f + 1);
        const std::uint32_t units = 1 + random_.Below(4);
        for (std::uint32_t u = 0; u < units; ++u) {
            sim::ModemSettings settings;
            settings.extendedAddress = 0x00124B0000000000ull + (runs_ << 16) + (f << 8) + u;
            plan.units.push_back({settings, [this, intensity](sim::SimulatedModem& modem) {
                                      modem.SetFaultPolicy([this, intensity](const std::string&) {
                                          sim::CommandFault fault;
                                          if (random_.Chance(intensity * 0.1)) {
                                              fault = random_.Chance(0.5) ? sim::CommandFault::Refused()
                                                                          : sim::CommandFault::Silent();
                                          } else if (random_.Chance(intensity * 0.02)) {
                                              fault.hangUp = true;
                                          } else if (random_.Chance(0.2)) {
                                              fault.delay = std::chrono::milliseconds(random_.Below(kMaxDelay.count()));
                                          }
                                          return fault;
                                      });
                                  }});
        }
        plan.plugAfter = std::chrono::milliseconds(10 + random_.Below(300));
        plan.unplugAfterRestart = 100ms;
        args.insert(args.end(), {"-p", plan.link});
        fixtures.push_back(std::make_unique<sim::SimulatedFixture>(plan));
        if (!fixtures.back()->Start()) return Fail("cannot start a fixture", {});
    }
    const Ending& ending = kEndings[random_.Below(3)];
    const auto stopAfter = std::chrono::milliseconds(200 + random_.Below(2500));
    watchdog_.Beat("q470ctl station, " + std::to_string(fixtureCount) + " fixtures, " + ending.name);
    if (options_.trace)
        std::printf("run %llu: %u fixtures, %s\n", static_cast<unsigned long long>(runs_), fixtureCount, ending.name);

    ChildProcess tool(tool_, args);
    // The stop is timed from the station's first event: a signal that comes while the program is still
    // starting (slow under a sanitizer on a busy machine) ends it before it can say anything.
    const std::string first = tool.OutputLines(1, kStartLimit);
    if (first.empty()) return Fail("the station said nothing after it started", tool.Errors(1s));
    if (tool.Wait(stopAfter) != -1) return Fail("the station ended on its own", tool.Errors(1s));
    tool.Signal(ending.signal);
    const int status = tool.Wait(kStopLimit);
    const std::string out = first + tool.Output(1s);
    const std::string errors = tool.Errors(1s);
    if (status == -1) return Fail(std::string("the station did not end after ") + ending.name, errors);
    if (status != 128 + ending.signal)
        return Fail("status " + std::to_string(status) + " after " + ending.name, errors);

    std::string lastEvent;
    std::map<std::string, int> counts;
    std::string bad;
    if (!EventsWhole(out, lastEvent, counts, bad)) {
        // A killed station may have been cut off in the middle of its last line.
        const bool cutOff = ending.signal == SIGKILL && out.rfind(bad) + bad.size() == out.size();
        if (!cutOff) return Fail("not an event: " + bad, errors);
    }
    std::map<std::string, int> results;
    if (ending.signal != SIGKILL) {
        if (lastEvent != "ended") return Fail("the last event is '" + lastEvent + "', not the end", errors);
        if (!RecordComplete(record, results))
            return Fail("a row is left unfinished after " + std::string(ending.name), errors);
        // Each unit ran once (no unit comes twice, and a retry waits for its unit), so rows are units.
        if (results["pass"] != counts["passed"] ||
            results["fail"] + results["interrupted"] < counts["failed"] + counts["interrupted"])
            return Fail("the counts do not match the record", errors);
    } else {
        // The next start of the station marks what the killed one left unfinished.
        for (auto& fixture : fixtures) fixture->Stop();
        ChildProcess again(tool_, {"station", profile, "--log", record, "--json", "-p", folder.Path() + "/none"});
        const auto guard = Clock::now() + kStartLimit;
        while (again.Wait(50ms) == -1 && Clock::now() < guard) {
            std::map<std::string, int> ignored;
            if (RecordComplete(record, ignored)) break;
        }
        again.Signal(SIGINT);
        if (again.Wait(kStopLimit) != 128 + SIGINT) return Fail("the restarted station did not end", again.Errors(1s));
        if (!RecordComplete(record, results))
            return Fail("the restarted station left a row unfinished", again.Errors(1s));
    }
    for (const auto& [result, count] : results) totals_[result] += count;
}

}  // namespace q470::soak
