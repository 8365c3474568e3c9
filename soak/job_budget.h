#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace q470::soak {

// How long a job may take before the soak calls it hung: the time-outs of every command a complete
// run of it sends, and slack for a machine busy with other work (sanitizers, other test runs).
class JobBudget {
public:
    static std::chrono::milliseconds For(std::int32_t job, std::uint32_t baudRate, std::size_t fileItems);
};

}  // namespace q470::soak
