#pragma once

#include <cstdint>

#include "device_state.h"

namespace q470 {

// Whether writing this PAN ID needs the device's association data cleared and a restart: on a Q470R
// with firmware 1.4.0 or older the associations of the old network would stay. Compared with the PAN
// ID last read from the device (not one an apply job wrote since). A version text that does not parse
// counts as old firmware.
bool NeedsAssocClear(std::uint16_t newPanId, const DeviceState& state);

}  // namespace q470
