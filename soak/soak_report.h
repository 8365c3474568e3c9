#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "fault_chooser.h"
#include "rss_monitor.h"

namespace q470::soak {

// The figures of one soak run and its verdict. The first broken invariant is printed at once with
// the seed that replays the run; the run then stops.
class SoakReport {
public:
    SoakReport(std::string name, std::uint64_t seed);

    void JobEnded(std::int32_t job, std::int32_t result);
    void JobDropped(std::int32_t job);
    void Fail(const std::string& what);
    bool Failed() const { return failed_; }

    std::uint64_t hangUps = 0;         // the device closed its end of the line
    std::uint64_t errorCallbacks = 0;  // error reports of the device link (or error boxes of the window)
    std::uint64_t extraCallbacks = 0;  // reports beyond the first of one hang-up
    std::uint64_t devices = 0;         // simulated devices started
    std::size_t maxReceiveBuffer = 0;
    std::size_t maxFrameBuffer = 0;

    void Print(const FaultChooser& faults, const RssMonitor& memory, double seconds) const;

private:
    struct Outcomes {
        std::uint64_t succeeded = 0;
        std::uint64_t failed = 0;
        std::uint64_t dropped = 0;
    };

    std::string name_;
    std::uint64_t seed_;
    bool failed_ = false;
    std::map<std::int32_t, Outcomes> jobs_;
};

// The window's connection, identify and read together, counted as one.
constexpr std::int32_t kConnectChain = -1;

const char* JobName(std::int32_t job);

}  // namespace q470::soak
