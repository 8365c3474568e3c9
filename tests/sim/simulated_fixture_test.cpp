// A production fixture played by simulated modems: units that come and go behind one stable path.
#include "simulated_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "pty_client.h"
#include "temp_folder.h"

namespace q470::sim {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds kGenerous{5000};
constexpr std::uint64_t kFirstAddress = 0x00124B0000000001ull;

FixtureUnit Unit(std::uint64_t address, std::function<void(SimulatedModem&)> prepare = {}) {
    ModemSettings settings;
    settings.extendedAddress = address;
    return {settings, std::move(prepare)};
}

bool WaitFor(const std::function<bool()>& done, milliseconds timeout = kGenerous) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return true;
}

// What the station would read first: the unit's extended address, from AT+INFO?.
std::string AddressBehind(const std::string& link) {
    PtyClient client(link);
    if (!client.IsOpen()) return "(cannot open)";
    client.Write("AT+INFO?\r");
    const std::string answer = client.ReadUntil("\r\nOK\r\n", kGenerous);
    const auto start = answer.find("+INFO,");
    if (start == std::string::npos) return "(no answer)";
    return answer.substr(start + 6, answer.find(',', start + 6) - start - 6);
}

TEST(SimulatedFixture, UnitsArePluggedAndUnpluggedOnCommand) {
    test::TempFolder folder;
    const std::string link = folder.Path("by-path/fixture-1");
    SimulatedFixture fixture({link, {Unit(kFirstAddress), Unit(kFirstAddress + 1)}, {}, {}});
    ASSERT_TRUE(fixture.Start());
    EXPECT_FALSE(fs::exists(link)) << "an empty fixture has no port";
    EXPECT_FALSE(fixture.Unplug());

    ASSERT_TRUE(fixture.Plug());
    EXPECT_FALSE(fixture.Plug()) << "a fixture holds one unit";
    EXPECT_EQ(AddressBehind(link), "00124B0000000001");
    {
        PtyClient station(link);
        ASSERT_TRUE(fixture.Unplug());
        EXPECT_FALSE(fs::exists(link) || fs::is_symlink(link));
        EXPECT_TRUE(station.WaitForHangUp(kGenerous)) << "the station's open port did not hang up";
    }
    ASSERT_TRUE(fixture.Plug());
    EXPECT_EQ(AddressBehind(link), "00124B0000000002");
    ASSERT_TRUE(fixture.Unplug());
    std::string error;
    EXPECT_FALSE(fixture.Plug(&error));
    EXPECT_EQ(error, "no unit is left");

    const auto visits = fixture.Visits();
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_EQ(visits[1].extendedAddress, kFirstAddress + 1);
    EXPECT_EQ(visits[1].commands, std::vector<std::string>{"AT+INFO?\r"});
    ASSERT_TRUE(visits[1].firstByteAt && visits[1].unpluggedAt);
    EXPECT_LE(visits[1].pluggedAt, *visits[1].firstByteAt);
}

// A fixture that runs by itself as a station needs it: each unit is plugged in a while after the last
// one went and taken out once the station has been quiet after its restart, whether it restarts in place
// or leaves the bus; one that hangs up or never comes back after its restart goes at once; the same
// unit may come again.
TEST(SimulatedFixture, APlanPlugsUnitsAndTakesThemOutWhenTheStationIsDone) {
    test::TempFolder folder;
    const std::string link = folder.Path("by-path/fixture-2");
    const auto reenumerates = [](ReturnName name) {
        return [name](SimulatedModem& modem) { modem.SetReenumeration({true, name, milliseconds(50)}); };
    };
    // Long enough for a station on a busy machine to send its next command.
    const milliseconds quiet{400};
    SimulatedFixture fixture({link,
                              {
                                  Unit(kFirstAddress),
                                  Unit(kFirstAddress + 1, reenumerates(ReturnName::Same)),
                                  Unit(kFirstAddress + 2, [](SimulatedModem& m) { m.HangUpAfter(1); }),
                                  Unit(kFirstAddress + 3, reenumerates(ReturnName::Never)),
                                  Unit(kFirstAddress),
                              },
                              milliseconds(20),
                              quiet});
    ASSERT_TRUE(fixture.Start());
    // The station's last steps: restart, find the unit again, read it back.
    const auto restartAndReadBack = [&](bool leavesTheBus, bool comesBack) {
        PtyClient station(link);
        ASSERT_TRUE(station.IsOpen());
        station.Write("ATZ\r");
        const std::string ready = leavesTheBus ? "\r\nOK\r\n" : "\r\nOK\r\n\r\n+READY\r\n";
        EXPECT_EQ(station.ReadUntil(ready, kGenerous), ready);
        if (leavesTheBus) {
            EXPECT_TRUE(station.WaitForHangUp(kGenerous));
        }
        if (!comesBack) return;
        ASSERT_TRUE(WaitFor([&] { return fs::exists(link); }));
        EXPECT_NE(AddressBehind(link), "(no answer)");
    };

    for (std::size_t unit = 0; unit < 5; ++unit) {
        SCOPED_TRACE(unit);
        ASSERT_TRUE(WaitFor([&] { return fixture.Visits().size() == unit + 1 && fs::exists(link); }));
        if (unit == 2) {
            PtyClient station(link);
            station.Write("AT+PANID=77\r");
            EXPECT_TRUE(station.WaitForHangUp(kGenerous));
        } else {
            restartAndReadBack(unit == 1 || unit == 3, unit != 3);
        }
        ASSERT_TRUE(fixture.WaitForUnplugged(unit + 1, kGenerous));
    }
    const auto visits = fixture.Visits();
    ASSERT_EQ(visits.size(), 5u);
    EXPECT_EQ(visits[4].extendedAddress, visits[0].extendedAddress);
    for (const std::size_t quietlyTakenOut : {0, 1, 4}) {
        EXPECT_GE(*visits[quietlyTakenOut].unpluggedAt - visits[quietlyTakenOut].pluggedAt, quiet) << quietlyTakenOut;
    }
    EXPECT_EQ(visits[1].commands, (std::vector<std::string>{"ATZ\r", "AT+INFO?\r"}));
    EXPECT_FALSE(fs::exists(link) || fs::is_symlink(link));
    EXPECT_EQ(fixture.UnitsLeft(), 0u);
}

}  // namespace
}  // namespace q470::sim
