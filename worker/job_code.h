#pragma once

#include <cstdint>

namespace q470 {

// A job is queued as its code with a copy of what it reads (JobInput).
enum JobCode : std::int32_t {
    JobStop = 1,
    JobIdentify = 3,
    JobReadQ470R = 4,
    JobReadKs = 5,
    JobApplyGeneralQ470R = 6,
    JobApplyGeneralKs = 7,
    JobApplyGpio = 8,
    JobApplyFileQ470R = 10,
    JobApplyFileKs = 11,
    JobRestart = 12,
    JobFactoryReset = 13,
};

// Result codes the jobs post. The apply-file jobs post the code of the kind of item that failed.
enum JobResult : std::int32_t {
    JobSucceeded = 0,
    JobFailed = 1,  // no or wrong answer; for the apply-file jobs: the quiet-mode bracket failed
    FileOpModeFailed = 2,
    FileNetRoleFailed = 3,
    FileRfChannelFailed = 4,
    FilePanIdFailed = 5,
    FileUartFailed = 6,
    FileGpioConfigFailed = 7,
    FileGpioPeriodicFailed = 8,
    IdentifyUnknownModel = 10,  // the device answered a model name that is none of the three
    FileUserPanIdFailed = 11,
};

}  // namespace q470
