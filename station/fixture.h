#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "fixture_host.h"

namespace q470 {

// One port of the station and the units plugged into it, one after the other, on a thread of its own:
// wait for the port, wait for a unit to answer, provision it (or skip it when it already passed), run
// it again after a failure that may pass, record it, run the hook, then wait for the unit to be taken
// away (its port vanishes, or another unit answers) before the next.
class Fixture {
public:
    Fixture(std::string port, FixtureHost& host);
    ~Fixture();  // joins; raise the station's stop and Wake() first
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    void Start();
    void Join();
    const std::string& Port() const { return port_; }

    // From the port watch; true when this changed what the fixture knew.
    bool SetPresent(bool present);
    // Cuts short whatever the fixture waits for, so that it sees the station's stop.
    void Wake();

private:
    using Answer = std::optional<ProbeAnswer>;
    // How a unit's service ended.
    struct Served {
        bool ended = false;     // false: it never started (the record could not be written)
        Answer other;           // another unit answered while this one was waited for
        UnitIdentity identity;  // who the unit was
    };

    void Run();
    bool WaitForPort();
    Answer WaitForUnit();
    // The port, then a unit on it, however often the port goes and comes back meanwhile.
    Answer WaitForAnyUnit();
    Answer WaitForRemoval(const UnitIdentity& unit);
    // Runs the unit as often as it may; the answer of another unit found meanwhile.
    Served Serve(ProbeAnswer unit);
    std::optional<UnitBegin> Begin(const UnitIdentity& identity);
    void Finish(std::int64_t id, const UnitEnd& end);
    void Ended(std::int64_t id, const UnitEnd& end);
    void RunHook(const std::string& command, std::int64_t id, const UnitEnd& end);

    // Waits `duration` or until the port vanishes (or the station stops); false then.
    bool Pause(std::chrono::milliseconds duration, std::uint64_t generation);
    ProbeAnswer Probe();
    bool Present(std::uint64_t& generation);
    void State(FixtureState state);
    void Problem(StationEvent::ProblemKind kind, std::string detail);
    void LogProblem(const LogError& error);

    std::string port_;
    FixtureHost& host_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool present_ = false;
    std::uint64_t generation_ = 0;  // counts the port's vanishings
    std::optional<FixtureState> state_;
    std::string portProblem_;                // the last "cannot open" told, so that it is told once
    std::optional<std::string> logProblem_;  // the record's failure last told, until it works again
    std::thread thread_;
};

}  // namespace q470
