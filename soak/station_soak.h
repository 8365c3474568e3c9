#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "fault_chooser.h"
#include "soak_options.h"
#include "watchdog.h"

namespace q470::soak {

// `q470ctl station` as a process on fixtures of simulated units that misbehave at random (late, refused,
// missing or garbled answers, hang-ups), plugged at random times, ended by SIGINT or SIGTERM at a random
// moment, or killed with SIGKILL and started again on the same record. After every run: the station
// ended in time with the status of its signal, every line it printed is an event of schema version 1,
// its last the end with counts that match the record, and no row of the record is left unfinished (after
// a kill, once the next start has marked them interrupted).
class StationSoak {
public:
    StationSoak(const SoakOptions& options, std::string tool);
    int Run();  // 0 when every run kept every invariant

private:
    void RunOnce();
    // True when the record holds no unfinished row; counts the rows of each result into `results`.
    bool RecordComplete(const std::string& record, std::map<std::string, int>& results);
    void Fail(const std::string& what, const std::string& errors);

    const SoakOptions options_;
    const std::string tool_;
    FaultChooser random_;
    Watchdog watchdog_;
    bool failed_ = false;
    std::uint64_t runs_ = 0;
    std::map<std::string, int> totals_;  // rows of every run, by result
};

}  // namespace q470::soak
