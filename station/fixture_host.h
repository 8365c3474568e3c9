#pragma once

#include "log_record.h"
#include "station_event.h"
#include "station_log.h"
#include "station_options.h"
#include "stop_signal.h"
#include "unit_runner.h"

namespace q470 {

// What a fixture needs from its station. Every call may come from any fixture's thread.
class FixtureHost {
public:
    FixtureHost() = default;
    FixtureHost(const FixtureHost&) = delete;
    FixtureHost& operator=(const FixtureHost&) = delete;

    virtual StationLog& Log() = 0;
    virtual UnitRunner& Runner() = 0;
    virtual const StationOptions& Options() const = 0;
    virtual const StopSignal& Stopping() const = 0;
    // Tells the front ends; the station fills in the counts.
    virtual void Emit(StationEvent event) = 0;
    // Before a unit starts: false when the station may start no further unit (its limit is taken).
    virtual bool TakeUnit() = 0;
    // A unit taken did not start after all (the record could not be written).
    virtual void ReturnUnit() = 0;
    // A unit taken has ended, after its last run.
    virtual void UnitEnded(RecordResult result) = 0;
    // The fixture's loop has ended.
    virtual void FixtureDone() = 0;

protected:
    ~FixtureHost() = default;
};

}  // namespace q470
