#pragma once

#include <chrono>

namespace q470 {

// The station's units so far. A unit counts once it has ended, after its last run.
struct StationCounts {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    int interrupted = 0;
    std::chrono::milliseconds elapsed{0};  // since the station started

    int Ended() const { return passed + failed + skipped + interrupted; }
    // Units that ended, per hour of the station's run so far; 0 in its first second.
    double UnitsPerHour() const {
        const double hours = std::chrono::duration<double, std::ratio<3600>>(elapsed).count();
        return elapsed < std::chrono::seconds(1) ? 0.0 : Ended() / hours;
    }
};

}  // namespace q470
