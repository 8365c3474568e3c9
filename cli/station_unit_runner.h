#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli_request.h"
#include "port_flow.h"
#include "unit_runner.h"

namespace q470 {

// The station's work on a real unit: the same run as `q470ctl apply PROFILE [--verify]` on the unit's
// port, told step by step, and turned into the unit's record.
//
// The lines a unit is looked for at come in order: the profile's UART setting first (a unit that has
// been provisioned already answers there), then the connection's (a new unit), then, now and then, a
// search of every line rate (a unit someone set up otherwise).
class StationUnitRunner final : public UnitRunner {
public:
    // `plan` is an apply of the profile, its bytes read and checked; `profileModel` the model kind the
    // profile is for. The plan is shared by the fixtures and must outlive the runner.
    StationUnitRunner(const CommandPlan& plan, std::uint32_t profileModel, std::vector<LineOptions> lines);

    ProbeAnswer Probe(const std::string& port, const StopSignal& stop) override;
    UnitResult Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                   const StopSignal& stop) override;

    // After the station's stop: the units under way do not finish their step; their ports close now, as
    // a second interrupt asks. Any thread.
    void StopAtOnce() { atOnce_ = true; }

    // Whether a unit of `model` (its name as it answers) may take a profile for `profileModel`: the same
    // model, or a KELDAN-KS400 with a KELDAN-KS410 profile (the two are one family).
    static bool ModelFits(std::uint32_t profileModel, const std::string& model);

private:
    LineOptions LineFor(const std::string& port);
    // The search of every line rate, once the port has been silent a while and its last search is long
    // enough ago.
    ProbeAnswer Search(const std::string& port, const StopSignal& stop);

    const CommandPlan& plan_;
    const std::uint32_t profileModel_;
    const std::vector<LineOptions> lines_;
    std::atomic<bool> atOnce_{false};
    std::mutex mutex_;
    std::map<std::string, LineOptions> answeredAt_;  // where each port's unit last answered a probe
    std::map<std::string, std::chrono::steady_clock::time_point> searchedAt_;
    std::map<std::string, std::chrono::steady_clock::time_point> silentSince_;  // no answer since
};

}  // namespace q470
