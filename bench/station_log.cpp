// The station's throughput with its record in a shared PostgreSQL database against the SQLite file:
// one station of 16 fixtures, the station engine with the test runner (identify and read through the
// worker's jobs, each unit paced at 9600 baud), a fresh unit plugged into each fixture as soon as the
// one before it ended. Each run counts the time until every fixture has served its units; the stores
// take turns run by run. The database is a private server started here that writes as a production one
// does (fsync on every commit), as the SQLite record does (synchronous=FULL).
//
// Prints the median units per hour of each store, their ratio (target: SQLite's at most 1.05 times the
// database's), and the cost of one unit's rows alone (BeginUnit then FinishUnit) in each store.
//   station_log [units per fixture] [runs] [probe interval ms]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "named_port_watch.h"
#include "postgres_cluster.h"
#include "postgres_station_log.h"
#include "sim_unit_runner.h"
#include "simulated_modem.h"
#include "sqlite_station_log.h"
#include "station.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
namespace fs = std::filesystem;

constexpr int kFixtures = 16;
constexpr int kDefaultUnits = 4;
constexpr int kDefaultRuns = 3;
constexpr int kDefaultProbeMs = 20;
constexpr std::uint32_t kBaudRate = 9600;
constexpr int kRowSamples = 200;
constexpr double kTargetRatio = 1.05;
constexpr auto kGuard = std::chrono::seconds(120);

enum class Store { Sqlite, Postgres };

const char* Name(Store store) {
    return store == Store::Sqlite ? "sqlite" : "postgresql";
}

// A folder of its own under the temporary folder, removed with the object.
class Folder {
public:
    Folder() {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern = std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") + "/q470-bench-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    bool Made() const { return !path_.empty(); }

private:
    std::string path_;
};

std::unique_ptr<q470::StationLog> OpenStore(Store store, q470::test::PostgresCluster& cluster, const Folder& folder) {
    q470::LogError error;
    std::unique_ptr<q470::StationLog> log;
    const auto identity = q470::CurrentStation("bench");
    if (store == Store::Sqlite) {
        log = q470::SqliteStationLog::Open(folder.Path("station.sqlite3"), identity,
                                           q470::SqliteStationLog::Access::ReadWrite, error);
    } else {
        const std::string database = cluster.NewDatabase();
        if (database.empty()) {
            std::fprintf(stderr, "station_log: %s\n", cluster.Problem().c_str());
            return nullptr;
        }
        q470::PostgresStationLog::Options options;
        options.journalFolder = folder.Path("journal");
        log = q470::PostgresStationLog::Open(cluster.Target(database), identity, q470::LogAccess::ReadWrite, options,
                                             error);
    }
    if (!log) std::fprintf(stderr, "station_log: cannot open the %s record: %s\n", Name(store), error.detail.c_str());
    return log;
}

// Units per hour of one run, or a negative number when it failed.
double RunStation(Store store, q470::test::PostgresCluster& cluster, int unitsPerFixture,
                  std::chrono::milliseconds probe, std::uint64_t& nextAddress) {
    Folder folder;
    if (!folder.Made()) return -1;
    auto log = OpenStore(store, cluster, folder);
    if (!log) return -1;

    // Every unit is started beforehand, so that the run times the station, not the simulator's start.
    std::vector<std::vector<std::unique_ptr<q470::sim::SimulatedModem>>> units(kFixtures);
    std::vector<std::string> fixtures;
    for (int f = 0; f < kFixtures; ++f) {
        fixtures.push_back(folder.Path("fixture-" + std::to_string(f)));
        for (int u = 0; u < unitsPerFixture; ++u) {
            q470::sim::ModemSettings settings = q470::sim::FactorySettings(q470::sim::ModemModel::Q470R);
            settings.extendedAddress = nextAddress++;
            auto unit = std::make_unique<q470::sim::SimulatedModem>(settings);
            unit->SetPacing(true, kBaudRate);
            std::string error;
            if (!unit->Start(&error)) {
                std::fprintf(stderr, "station_log: simulated unit: %s\n", error.c_str());
                return -1;
            }
            units[f].push_back(std::move(unit));
        }
    }
    const auto plug = [&](int f, int u) {
        const std::string fresh = fixtures[f] + ".new";
        std::error_code error;
        fs::create_symlink(units[f][u]->PortPath(), fresh, error);
        fs::rename(fresh, fixtures[f], error);
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, int> ended;
    int problems = 0;
    q470::StationOptions options;
    options.profile = {"line-a.json", "ab12"};
    options.toolVersion = "bench";
    options.probeInterval = probe;
    q470::test::SimUnitRunner runner;
    q470::NamedPortWatch watch(fixtures);
    q470::Station station(*log, runner, watch, options, [&](const q470::StationEvent& event) {
        std::lock_guard<std::mutex> lock(mutex);
        if (event.kind == q470::StationEvent::Kind::UnitFinished && !event.retrying) ++ended[event.port];
        if (event.kind == q470::StationEvent::Kind::Problem) ++problems;
        changed.notify_all();
    });
    for (int f = 0; f < kFixtures; ++f) plug(f, 0);
    const auto started = Clock::now();
    if (!station.Start().started) {
        std::fprintf(stderr, "station_log: the station did not start on the %s record\n", Name(store));
        return -1;
    }
    // Each fixture is given its next unit when the one before it has ended.
    bool finished = true;
    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto deadline = Clock::now() + kGuard;
        std::vector<int> plugged(kFixtures, 1);
        while (true) {
            int done = 0;
            for (int f = 0; f < kFixtures; ++f) {
                const int count = ended[fixtures[f]];
                if (count >= plugged[f] && plugged[f] < unitsPerFixture) plug(f, plugged[f]++);
                if (count >= unitsPerFixture) ++done;
            }
            if (done == kFixtures) break;
            if (changed.wait_until(lock, deadline) == std::cv_status::timeout) {
                finished = false;
                break;
            }
        }
    }
    const Seconds took = Clock::now() - started;
    station.Stop();
    station.Wait();
    const auto counts = station.Counts();
    if (!finished || problems > 0 || counts.passed != kFixtures * unitsPerFixture) {
        std::fprintf(stderr, "station_log: the %s run did not pass every unit (%d passed, %d problems)\n", Name(store),
                     counts.passed, problems);
        return -1;
    }
    return kFixtures * unitsPerFixture * 3600.0 / took.count();
}

// Milliseconds one unit's rows take in the store alone: its start (with the question whether it passed)
// and its end.
double RowCost(Store store, q470::test::PostgresCluster& cluster, std::uint64_t& nextAddress) {
    Folder folder;
    auto log = folder.Made() ? OpenStore(store, cluster, folder) : nullptr;
    if (!log) return -1;
    std::vector<double> samples;
    for (int i = 0; i < kRowSamples; ++i) {
        q470::UnitStart start;
        start.startedAt = std::chrono::system_clock::now();
        start.port = "/dev/ttyUSB0";
        char address[32];
        std::snprintf(address, sizeof address, "00:12:4B:00:%02X:%02X:%02X:%02X",
                      static_cast<unsigned>((nextAddress >> 24) & 0xFF),
                      static_cast<unsigned>((nextAddress >> 16) & 0xFF),
                      static_cast<unsigned>((nextAddress >> 8) & 0xFF), static_cast<unsigned>(nextAddress & 0xFF));
        ++nextAddress;
        start.extendedAddress = address;
        start.model = "Q470R";
        start.profileName = "line-a.json";
        start.profileSha256 = "ab12";
        start.toolVersion = "bench";
        q470::UnitEnd end;
        end.result = q470::RecordResult::Pass;
        end.durationMs = 1000;
        q470::LogError error;
        const auto begun = Clock::now();
        const auto begin = log->BeginUnit(start, false, error);
        end.finishedAt = std::chrono::system_clock::now();
        if (!begin || !log->FinishUnit(begin->id, end, error)) {
            std::fprintf(stderr, "station_log: %s row: %s\n", Name(store), error.detail.c_str());
            return -1;
        }
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begun).count());
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Number(int argc, char** argv, int index, int fallback) {
    if (argc <= index) return fallback;
    const int value = std::atoi(argv[index]);
    return value > 0 ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int unitsPerFixture = Number(argc, argv, 1, kDefaultUnits);
    const int runs = Number(argc, argv, 2, kDefaultRuns);
    const std::chrono::milliseconds probe(Number(argc, argv, 3, kDefaultProbeMs));
    // The connection is named in full below; nothing of the caller's environment may change it.
    for (const char* name : {"PGPASSWORD", "PGPASSFILE", "PGSERVICE", "PGSERVICEFILE", "PGHOST", "PGHOSTADDR", "PGPORT",
                             "PGDATABASE", "PGUSER", "PGOPTIONS", "PGSSLMODE"})
        unsetenv(name);
    q470::test::PostgresCluster cluster(true);
    if (!cluster.Running()) {
        std::fprintf(stderr, "station_log: %s\n", cluster.Problem().c_str());
        return 1;
    }
    std::uint64_t nextAddress = 0x00124B0000100000ULL;
    std::printf("station of %d fixtures, %d units each, paced at %u baud, probe every %lld ms, %d runs per store\n",
                kFixtures, unitsPerFixture, kBaudRate, static_cast<long long>(probe.count()), runs);
    std::map<Store, std::vector<double>> perHour;
    for (int run = 0; run < runs; ++run) {
        for (const Store store : {Store::Sqlite, Store::Postgres}) {
            const double rate = RunStation(store, cluster, unitsPerFixture, probe, nextAddress);
            if (rate < 0) return 1;
            perHour[store].push_back(rate);
            std::printf("run %d %-10s %8.0f units/h\n", run + 1, Name(store), rate);
        }
    }
    const double sqlite = Median(perHour[Store::Sqlite]);
    const double postgres = Median(perHour[Store::Postgres]);
    std::printf("units/h (median)   sqlite %.0f   postgresql %.0f\n", sqlite, postgres);
    std::printf("ratio sqlite/postgresql %.3f (target <= %.2f)\n", sqlite / postgres, kTargetRatio);
    const double sqliteRow = RowCost(Store::Sqlite, cluster, nextAddress);
    const double postgresRow = RowCost(Store::Postgres, cluster, nextAddress);
    if (sqliteRow < 0 || postgresRow < 0) return 1;
    std::printf("one unit's rows (median of %d)   sqlite %.2f ms   postgresql %.2f ms\n", kRowSamples, sqliteRow,
                postgresRow);
    return 0;
}
