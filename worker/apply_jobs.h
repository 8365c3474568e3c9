#pragma once

#include <cstdint>

#include "job_host.h"
#include "job_session.h"

namespace q470 {

// The jobs that write to the device. Each copies its input when it starts, talks to the device through
// `session` and returns the result code the worker posts.

// The general page's record, with the quiet-mode bracket around it: 0 or JobFailed.
std::int32_t RunApplyGeneralQ470R(JobHost& host, JobSession& session);
std::int32_t RunApplyGeneralKs(JobHost& host, JobSession& session);
// The GPIO page's record: 13 pins, then the periodic report. 0 or JobFailed.
std::int32_t RunApplyGpio(JobHost& host, JobSession& session);
// The file items, in list order: 0, JobFailed (quiet-mode bracket) or the failing item's File* code.
std::int32_t RunApplyFileQ470R(JobHost& host, JobSession& session);
std::int32_t RunApplyFileKs(JobHost& host, JobSession& session);
// Whether the model's apply-file job sends an item of this command (the quiet mode goes at the close);
// it skips the others.
bool FileJobSends(std::uint32_t modelKind, std::int32_t command);
// ATZ and AT&F: the answer is not examined, the result is always 0.
std::int32_t RunRestart(JobHost& host, JobSession& session);
std::int32_t RunFactoryReset(JobHost& host, JobSession& session);

}  // namespace q470
