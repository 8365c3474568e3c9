#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model_kind.h"
#include "unit_runner.h"

namespace q470::test {

// A small real runner for the station's tests: it identifies and reads a unit through the device link
// and the worker's identify and read jobs, as the window does, and refuses a unit of another model.
// Real device traffic over the unit's port, without the writing of a whole provisioning.
class SimUnitRunner final : public UnitRunner {
public:
    static constexpr std::uint32_t kBaudRate = 9600;

    explicit SimUnitRunner(std::uint32_t model = ModelQ470R) : model_(model) {}

    ProbeAnswer Probe(const std::string& port, const StopSignal& stop) override;
    UnitResult Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                   const StopSignal& stop) override;

    // Called as each step begins, before its work, on the fixture's thread: a test may stop the
    // station there. Set before the station starts.
    std::function<void(const std::string& port, UnitStep step)> onStep;

private:
    std::uint32_t model_;
};

}  // namespace q470::test
