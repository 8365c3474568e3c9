#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fault_chooser.h"
#include "simulated_modem.h"
#include "soak_options.h"
#include "watchdog.h"

namespace q470::soak {

// q470ctl as a process, ended at random moments the way its surroundings end it: Ctrl-C (SIGINT), a
// service manager (SIGTERM), a closed terminal or SSH session (SIGHUP), or the reader of its output
// going away (a pipe into `head`); or left to finish. Each run is a read, a write (set, gpio, apply) or
// a save against a fresh simulated device, quiet or not, paced at its line rate. After every run: the
// tool ended in time, with the status of what ended it (or its own, when it was done first), said it was
// interrupted, left its JSON document whole, left no temporary file, and a device that was quiet is
// quiet again.
class CliSoak {
public:
    CliSoak(const SoakOptions& options, std::string tool);
    int Run();  // 0 when every run kept every invariant

private:
    enum class Ending { None, Sigint, Sigterm, Sighup, ClosedOutput, Count };

    struct Plan {
        std::vector<std::string> args;
        bool json = false;
        bool quiet = false;
        std::chrono::milliseconds stopAfter{0};
        Ending ending = Ending::None;
    };

    Plan Draw(sim::SimulatedModem& modem, const std::string& folder);
    std::vector<std::string> DrawCommand(bool q470r, const std::string& folder);
    void RunOnce();
    void Check(const Plan& plan, int status, std::chrono::steady_clock::duration stopping, const std::string& out,
               const std::string& errors, sim::SimulatedModem& modem, const std::string& folder);
    void Fail(const std::string& what, const std::string& errors);
    void Print(double seconds) const;

    const SoakOptions options_;
    const std::string tool_;
    FaultChooser random_;
    Watchdog watchdog_;
    bool failed_ = false;
    std::uint64_t runs_ = 0;
    // Per ending: runs it cut short, and runs that were done before it came.
    std::map<Ending, std::pair<std::uint64_t, std::uint64_t>> endings_;
};

}  // namespace q470::soak
