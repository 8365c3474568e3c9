#pragma once

#include <functional>
#include <string>

#include "stop_signal.h"
#include "unit_result.h"
#include "unit_step.h"

namespace q470 {

// The work on one unit, for the station. The runner knows the profile and how to provision a unit
// with it; the station decides when and on which port.
//
// The station calls Probe and Run from the threads of its fixtures: concurrently for different ports,
// never concurrently for one port. Both return once `stop` is raised, Run after finishing the step it
// is in so that the unit is left in a known state (its verdict is then Interrupted, with that step).
class UnitRunner {
public:
    using StepSink = std::function<void(UnitStep step)>;

    UnitRunner() = default;
    UnitRunner(const UnitRunner&) = delete;
    UnitRunner& operator=(const UnitRunner&) = delete;
    virtual ~UnitRunner() = default;

    // Whether a unit answers on `port`, and who it is: queries only, never a setting. The station asks
    // again at its own pace while it waits for a unit or for a unit to be taken away.
    virtual ProbeAnswer Probe(const std::string& port, const StopSignal& stop) = 0;

    // Provisions the unit that `found` answered for: find its line, identify it, refuse another model,
    // read, apply, restart, find it again, read back and compare. Each step is announced through `step`
    // as it begins.
    virtual UnitResult Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                           const StopSignal& stop) = 0;
};

}  // namespace q470
