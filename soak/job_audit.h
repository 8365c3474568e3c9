#pragma once

#include <string>

#include "device_state.h"
#include "job_record.h"
#include "modem_settings.h"

namespace q470::soak {

// Checks a job's result against what the device did with the job's commands. Every check returns an
// empty text when the result agrees, otherwise what is wrong.
class JobAudit {
public:
    // A set command is reported applied only when the device acknowledged it; the quiet-mode write
    // that closes an apply follows the job's own rule, since a quiet device sends no OK.
    // With `exactCode` unset only success and failure are compared (the window tells no more).
    static std::string CheckApply(const JobRecord& run, bool exactCode = true);
    // A successful identify or read holds exactly what the device holds; a failed one had a cause.
    static std::string CheckIdentify(const JobRecord& run, const DeviceState& state, const sim::ModemSettings& device);
    static std::string CheckRead(const JobRecord& run, const DeviceState& state, const sim::ModemSettings& device);
    // Identify and read together, as the window connects: connected, the state holds what the device
    // holds; refused, some answer was missing or the model is not one of the three.
    static std::string CheckConnect(const JobRecord& run, bool connected, const DeviceState& state,
                                    const sim::ModemSettings& device);
    // The job, its result and every command the device got, with the faults it was given.
    static std::string Describe(const JobRecord& run);
};

}  // namespace q470::soak
