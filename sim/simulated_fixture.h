#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modem_settings.h"
#include "simulated_modem.h"

namespace q470::sim {

// One unit a fixture takes: the device's settings (model, extended address, ...) and what is done to
// its simulated modem before it is plugged in (faults, pacing, re-enumeration).
struct FixtureUnit {
    ModemSettings settings;
    std::function<void(SimulatedModem&)> prepare;
};

// What a fixture does on its own. Without a time, only Plug and Unplug do it.
struct FixturePlan {
    std::string link;                // the fixture's stable path: a link to the unit's port while one is in
    std::vector<FixtureUnit> units;  // plugged one after another, in this order
    // How long after the fixture became empty (or started) the next unit is plugged in. A unit that
    // cannot start (no pseudo-terminal left, a link that cannot be made) is passed over.
    std::optional<std::chrono::milliseconds> plugAfter;
    // A unit is taken out once its line has been quiet this long after a restart: the station has
    // read it back and is done with it.
    std::optional<std::chrono::milliseconds> unplugAfterRestart;
};

// One unit's stay in the fixture.
struct FixtureVisit {
    std::size_t unit = 0;  // its index in the plan
    std::uint64_t extendedAddress = 0;
    std::string port;                                                  // the pseudo-terminal it was plugged in on
    std::chrono::steady_clock::time_point pluggedAt;                   // just before its port and link were made
    std::optional<std::chrono::steady_clock::time_point> firstByteAt;  // the first byte that reached it
    std::optional<std::chrono::steady_clock::time_point> unpluggedAt;  // when it went (link removed)
    std::vector<std::string> commands;  // what it received, CR included; filled when it goes
};

// A production fixture played by simulated modems: a stable path (a symbolic link, as a
// /dev/serial/by-path name) that appears when a unit is plugged in, leading to the unit's port, and
// vanishes when the unit goes. A unit goes when it is unplugged (by the plan or on command), when it
// hangs up, and when it restarts and does not come back. Every fixture runs a thread of its own besides
// its unit's; any number may run at once.
class SimulatedFixture {
public:
    explicit SimulatedFixture(FixturePlan plan);
    ~SimulatedFixture();  // Stop
    SimulatedFixture(const SimulatedFixture&) = delete;
    SimulatedFixture& operator=(const SimulatedFixture&) = delete;

    // Starts the plan; false with a message when the fixture's thread cannot start.
    bool Start(std::string* error = nullptr);
    // Takes the unit out (its link goes) and ends the plan.
    void Stop();

    // The next unit, now: false when one is in, none is left, or it cannot start (`error` says why).
    bool Plug(std::string* error = nullptr);
    // Takes the unit out: false when none is in.
    bool Unplug();

    const std::string& Link() const;
    bool UnitPresent() const;
    std::size_t UnitsLeft() const;  // not plugged in yet
    // Every unit plugged so far, in order; the one in the fixture last, without unpluggedAt.
    std::vector<FixtureVisit> Visits() const;
    // Waits until `count` units have gone (unplugged, hung up or not come back); false on time-out.
    bool WaitForUnplugged(std::size_t count, std::chrono::milliseconds timeout) const;
    // Runs `use` on the unit in the fixture: false when none is in. `use` must not plug or unplug.
    bool WithUnit(const std::function<void(SimulatedModem&)>& use);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace q470::sim
