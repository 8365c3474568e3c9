// q470ctl station on a record that the stations of a line share in a database: a unit that passed on one
// station is skipped by the next, and a station that cannot log in does not start.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "postgres_environment.h"
#include "q470ctl.h"
#include "simulated_fixture.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

using std::chrono::milliseconds;

constexpr std::uint64_t kAddress = 0x00124B0000000077ull;

struct StationRun {
    int status = -1;
    std::string out;
    std::string err;
    bool written = false;  // whether the unit was sent any setting
};

class SharedStationCommand : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("Q470_LANG", "en", 1);
        setenv("XDG_DATA_HOME", folder_.Path("data").c_str(), 1);  // the journal's folder
        std::ofstream(profile_) << R"({"Model Name": "Q470R", "General": {"PAN ID": 777}})";
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }

    // One station run of one unit on a fresh fixture.
    StationRun RunOnce(const std::string& target, const std::string& stationName) {
        sim::ModemSettings settings;
        settings.extendedAddress = kAddress;
        sim::FixturePlan plan{folder_.Path("by-path/fixture-" + stationName), {{settings, {}}}, milliseconds(20),
                              milliseconds(100)};
        sim::SimulatedFixture fixture(std::move(plan));
        EXPECT_TRUE(fixture.Start());
        std::ostringstream out, err;
        StationRun run;
        run.status = RunCli({"station", profile_, "--log", target, "--station-name", stationName, "--once", "--json",
                             "-p", fixture.Link()},
                            out, err);
        run.out = out.str();
        run.err = err.str();
        fixture.Stop();
        for (const auto& visit : fixture.Visits()) {
            run.written |= std::any_of(visit.commands.begin(), visit.commands.end(),
                                       [](const std::string& command) { return command.find('=') != std::string::npos; });
        }
        return run;
    }

    TempFolder folder_;
    const std::string profile_ = folder_.Path("line-a.json");
};

TEST_F(SharedStationCommand, AUnitPassedOnOneStationIsSkippedOnAnother) {
    const std::string database = Cluster().NewDatabase();
    ASSERT_FALSE(database.empty()) << Cluster().Problem();
    const std::string target = Cluster().Uri(database);

    const StationRun first = RunOnce(target, "line-a");
    ASSERT_EQ(first.status, 0) << first.err << first.out;
    EXPECT_NE(first.out.find(R"("result":"pass")"), std::string::npos) << first.out;
    EXPECT_TRUE(first.written);

    const StationRun second = RunOnce(target, "line-b");
    ASSERT_EQ(second.status, 0) << second.err << second.out;
    EXPECT_NE(second.out.find(R"("skipped":"already-passed")"), std::string::npos) << second.out;
    EXPECT_FALSE(second.written) << "a unit done on another station is not written to again";

    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"log", "--log", target, "--csv"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find(",line-a,"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(",line-b,"), std::string::npos) << out.str();
}

TEST_F(SharedStationCommand, AStationThatCannotLogInDoesNotStart) {
    const std::string wrongPassFile = folder_.Path("wrong.pgpass");
    std::ofstream(wrongPassFile) << "*:*:*:q470:not-the-password\n";
    std::filesystem::permissions(wrongPassFile, std::filesystem::perms::owner_read);
    const std::string database = Cluster().NewDatabase();
    ASSERT_FALSE(database.empty()) << Cluster().Problem();

    const StationRun run = RunOnce(Cluster().Target(database, wrongPassFile), "line-a");
    EXPECT_EQ(run.status, 4) << run.err << run.out;
    EXPECT_NE(run.err.find("password authentication failed"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("no unit is provisioned without a record"), std::string::npos) << run.err;
    EXPECT_FALSE(run.written);

    const StationRun given = RunOnce("postgresql://q470:s3cret@/" + database, "line-a");
    EXPECT_EQ(given.status, 2) << given.err;
    EXPECT_EQ(given.err.find("s3cret"), std::string::npos) << given.err;
    EXPECT_FALSE(given.written);
}

}  // namespace
}  // namespace q470::test
