#pragma once

#include <cstdint>

#include "job_host.h"
#include "job_input.h"
#include "job_session.h"

namespace q470 {

// The identify and read jobs. Each talks to the device through `session` and returns the result code
// the worker posts.

// AT (once more after ERROR), AT+QM?, AT+MODELNAME?: sets the model kind and the quiet mode.
// 0, JobFailed, or IdentifyUnknownModel with the device state untouched.
std::int32_t RunIdentify(const JobInput& input, JobHost& host, JobSession& session);
// Identity, network, GPIO table, periodic report, version and, on firmware that has it, RX pull-up.
// A device on firmware that only version order gives RX pull-up (2.0.0 and the like) may refuse or
// ignore that query: it then has none, and the read still succeeds.
std::int32_t RunReadQ470R(const JobInput& input, JobHost& host, JobSession& session);
// Identity, network, version and user PAN ID of a KELDAN device.
std::int32_t RunReadKs(const JobInput& input, JobHost& host, JobSession& session);

}  // namespace q470
