#pragma once

#include <cstdint>

#include "job_host.h"
#include "job_input.h"
#include "job_session.h"

namespace q470 {

// The jobs that write to the device. Each talks to the device through `session` and returns the result
// code the worker posts.

// The general record, with the quiet-mode bracket around it: 0 or JobFailed.
std::int32_t RunApplyGeneralQ470R(const JobInput& input, JobHost& host, JobSession& session);
std::int32_t RunApplyGeneralKs(const JobInput& input, JobHost& host, JobSession& session);
// The GPIO record: 13 pins, then the periodic report. 0 or JobFailed.
std::int32_t RunApplyGpio(const JobInput& input, JobHost& host, JobSession& session);
// The file items, in list order: 0, JobFailed (quiet-mode bracket) or the failing item's File* code.
std::int32_t RunApplyFileQ470R(const JobInput& input, JobHost& host, JobSession& session);
std::int32_t RunApplyFileKs(const JobInput& input, JobHost& host, JobSession& session);
// Whether the model's apply-file job sends an item of this command (the quiet mode goes at the close);
// it skips the others.
bool FileJobSends(std::uint32_t modelKind, std::int32_t command);
// ATZ and AT&F: the answer is not examined, the result is always 0.
std::int32_t RunRestart(const JobInput& input, JobHost& host, JobSession& session);
std::int32_t RunFactoryReset(const JobInput& input, JobHost& host, JobSession& session);

}  // namespace q470
