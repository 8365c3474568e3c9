#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hook_runner.h"
#include "log_record.h"
#include "station_counts.h"
#include "unit_result.h"
#include "unit_step.h"

namespace q470 {

// What a fixture is doing.
enum class FixtureState {
    WaitingForPort,     // its port is not there
    WaitingForUnit,     // the port is there; no unit answers yet
    Working,            // a unit is being provisioned
    WaitingForRemoval,  // the unit is done; the fixture waits for it to be taken away
    Paused,             // the record cannot be written: no unit starts
    Done,               // one unit per port was asked for, and this one had it
};

// "waiting-for-port", "waiting-for-unit", "working", "waiting-for-removal", "paused", "done".
const char* FixtureStateWord(FixtureState state);

// One thing that happened at the station, for its front ends. Which members mean something depends
// on `kind`; `counts` always holds the counts as of the event.
struct StationEvent {
    enum class Kind {
        PortAppeared,  // port
        PortVanished,  // port
        State,         // port, state
        UnitStarted,   // port, logId, attempt, identity
        UnitStep,      // port, logId, step
        // port, logId, attempt, identity, result, failedStep, failure, differences, note; `retrying`: the
        // unit is run again once it answers again. A skipped unit (`skipped` says why) has this event
        // only, no UnitStarted.
        UnitFinished,
        HookFinished,  // port, logId, hook
        Problem,       // port (empty: the station's), problem, detail
        Ended,         // the station has ended: every fixture is done and every unit recorded
    };
    enum class ProblemKind {
        None,
        LogFailed,        // the record could not be written (detail: the store's words); no unit starts
        PortUnavailable,  // the port is there but cannot be opened (detail: the system's words)
        WatchPolling,     // the system's notification of ports cannot be used: ports are looked at
        WatchFailed,      // ports cannot be watched at all (detail)
    };
    enum class Skip { None, AlreadyPassed, InProgressElsewhere };

    Kind kind = Kind::State;
    std::string port;
    FixtureState state = FixtureState::WaitingForPort;
    std::int64_t logId = 0;
    int attempt = 0;  // 1 for a unit's first run
    UnitIdentity identity;
    UnitStep step = UnitStep::FindLine;
    RecordResult result = RecordResult::Fail;
    std::optional<UnitStep> failedStep;
    FailureKind failure = FailureKind::None;
    std::vector<SettingDifference> differences;
    std::string note;
    Skip skipped = Skip::None;
    bool retrying = false;
    HookOutcome hook;
    ProblemKind problem = ProblemKind::None;
    std::string detail;
    StationCounts counts;
};

}  // namespace q470
