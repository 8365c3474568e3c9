#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_exchange.h"
#include "device_records.h"

namespace q470 {

// A station's profile, checked whole against its own model before any unit is touched.
struct CheckedProfile {
    ConfigLoadOutcome outcome;  // Loaded, or why not (its problems name the members)
    std::uint32_t model = 0;    // the model kind it is for (a file without a model is for a Q470R)
    // Where units are looked for, in order: the line the profile's UART setting leaves a unit at (a unit
    // provisioned already answers there), then `connection` (a new unit) when that differs.
    std::vector<ConnectionLine> lines;

    bool Loaded() const { return outcome.status == ConfigLoadStatus::Loaded; }
};

CheckedProfile CheckProfile(const std::string& bytes, const ConnectionLine& connection);

}  // namespace q470
