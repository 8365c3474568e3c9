#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "device_records.h"
#include "unit_runner.h"

namespace q470 {

// The station's work on a real unit: the profile written through the device session on the unit's port,
// the unit restarted and, unless verification is off, read back and compared; told step by step and
// turned into the unit's record. Any front end that runs a station uses it.
//
// The lines a unit is looked for at come in order: the profile's UART setting first (a unit that has
// been provisioned already answers there), then the connection's (a new unit), then, now and then, a
// search of every line rate (a unit someone set up otherwise).
class SessionUnitRunner final : public UnitRunner {
public:
    // `profile` is the configuration file's bytes, checked whole already; `profileModel` the model kind
    // it is for; `lines` where units are looked for, in order (at least one).
    SessionUnitRunner(std::string profile, std::uint32_t profileModel, std::vector<ConnectionLine> lines, bool verify);

    ProbeAnswer Probe(const std::string& port, const StopSignal& stop) override;
    UnitResult Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                   const StopSignal& stop) override;

    // After the station's stop: the units under way do not finish their step; their ports close now.
    // Any thread.
    void StopAtOnce() { atOnce_ = true; }

    // Whether a unit of `model` (its name as it answers) may take a profile for `profileModel`: the same
    // model, or a KELDAN-KS400 with a KELDAN-KS410 profile (the two are one family).
    static bool ModelFits(std::uint32_t profileModel, const std::string& model);

private:
    ConnectionLine LineFor(const std::string& port);
    // The search of every line rate, once the port has been silent a while and its last search is long
    // enough ago.
    ProbeAnswer Search(const std::string& port, const StopSignal& stop);

    const std::string profile_;
    const std::uint32_t profileModel_;
    const std::vector<ConnectionLine> lines_;
    const bool verify_;
    std::atomic<bool> atOnce_{false};
    std::mutex mutex_;
    std::map<std::string, ConnectionLine> answeredAt_;  // where each port's unit last answered a probe
    std::map<std::string, std::chrono::steady_clock::time_point> searchedAt_;
    std::map<std::string, std::chrono::steady_clock::time_point> silentSince_;  // no answer since
};

}  // namespace q470
