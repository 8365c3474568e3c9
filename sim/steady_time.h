#pragma once

#include <chrono>

namespace q470::sim {

// Every time in the simulated modem is a point on the monotonic clock, so schedules survive wall-clock changes.
using SteadyTime = std::chrono::steady_clock::time_point;

}  // namespace q470::sim
