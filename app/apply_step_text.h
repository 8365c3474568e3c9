#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apply_trail.h"

namespace q470 {

// What an apply job did, in words for the window: "The device took: operation mode, PAN ID" and
// "Failed step: writing GPIO pin 4". The AT text itself belongs to the traffic view. Nothing for a job
// that had no step. `job` tells the quiet-mode steps apart: the GPIO job only restores quiet mode, the
// others write the command response the page or file asks for.
std::vector<std::string> ApplyTrailInWords(const ApplyTrail& trail, std::int32_t job);

}  // namespace q470
