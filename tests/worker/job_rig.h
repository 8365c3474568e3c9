#pragma once

#include <functional>
#include <string>
#include <vector>

#include "job_worker.h"
#include "simulated_modem.h"
#include "test_host.h"

namespace q470::test {

// A simulated modem on a pseudo-terminal, the link opened on it, and a running worker.
class JobRig {
public:
    explicit JobRig(sim::ModemSettings settings = {});
    ~JobRig();  // closes the link first, as the window's disconnect does
    JobRig(const JobRig&) = delete;
    JobRig& operator=(const JobRig&) = delete;

    // Queues one job with `input` and waits for its result; -1 when none came.
    std::int32_t Run(std::int32_t job);
    // The commands the device received since the last call, exactly.
    std::vector<std::string> TakeCommands();
    void SetFault(const std::string& keyword, const sim::CommandFault& fault) { modem.SetFault(keyword, fault); }

    sim::SimulatedModem modem;
    JobInput input;  // what Run queues each job with; the line is the one the link was opened at
    TestHost host;
    JobWorker worker{host};
};

// Pin i at index i, as the GPIO page leaves its record.
GpioSettings NumberedPins();

// Cases that each wait out a time-out run side by side, each on its own rig.
void RunConcurrently(const std::vector<std::function<void()>>& cases);

}  // namespace q470::test
