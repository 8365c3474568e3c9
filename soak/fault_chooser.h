#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "command_fault.h"

namespace q470::soak {

// The ways a soak device misbehaves; one command may get several at once.
enum class FaultKind : std::size_t {
    Silent,
    Error,
    Delay,
    TrailerDelay,
    Split,
    Inject,
    HangUp,
    StrayBytes,
    DuplicateLines,
    Count
};
constexpr std::size_t kFaultKinds = static_cast<std::size_t>(FaultKind::Count);

const char* FaultKindName(FaultKind kind);

// Draws a random fault for each command from one seeded generator, so a seed replays the same run as
// far as thread timing allows. Every answer that is sent at all is out well within the shortest
// command time-out: an answer that arrives after its command gave up would be taken for the next
// command's, which no owner of the link can tell apart, so a late answer is left to "silent".
class FaultChooser {
public:
    explicit FaultChooser(std::uint64_t seed);

    sim::CommandFault Choose();
    // Scales every fault's chance: each device gets its own, so that some run mostly clean and the
    // jobs get through to their end, while others fail nearly every command.
    void SetIntensity(double intensity);
    // How many commands got each kind of fault, and how many got none.
    std::array<std::uint64_t, kFaultKinds> Counts() const;
    std::uint64_t CleanCount() const;

    // Also used by the harness for its own choices (jobs, inputs, devices).
    std::uint32_t Below(std::uint32_t bound);
    bool Chance(double probability);

private:
    std::string Garbage();
    std::vector<sim::CommandFault::StrayByte> StrayBytes();
    void Count(FaultKind kind);

    mutable std::mutex mutex_;  // the device's serving thread and the harness both draw
    std::mt19937_64 random_;
    double intensity_ = 1.0;
    std::array<std::uint64_t, kFaultKinds> counts_{};
    std::uint64_t clean_ = 0;
};

}  // namespace q470::soak
