#include "job_budget.h"

#include "job_code.h"
#include "job_timeouts.h"

namespace q470::soak {
namespace {

constexpr std::uint32_t kSlackMs = 3000;
constexpr std::uint32_t kSlackPercent = 25;
constexpr std::uint32_t kGpioSets = 13 + 1;  // the thirteen pins and the periodic report

std::uint32_t Commands(std::uint32_t count) {
    return count * kJobTimeoutMs;
}

std::uint32_t TimeoutsOf(std::int32_t job, std::uint32_t baud, std::size_t fileItems) {
    switch (job) {
        case JobIdentify:  // AT may be sent twice
            return Commands(3) + ModelNameTimeoutMs(baud);
        case JobReadQ470R:
            return 2 * ReadQueryTimeoutMs(baud) + GpioTableTimeoutMs(baud) + Commands(3);
        case JobReadKs:
            return KsInfoTimeoutMs(baud) + Commands(3);
        case JobApplyGeneralQ470R:  // the quiet-mode bracket, six settings and RX pull-up
            return Commands(2 + 7);
        case JobApplyGeneralKs:
            return Commands(2 + 3);
        case JobApplyGpio:
            return Commands(2 + kGpioSets);
        case JobApplyFileQ470R:  // and the association clear
        case JobApplyFileKs:
            return Commands(static_cast<std::uint32_t>(fileItems) + 3);
        default:  // restart, factory reset
            return Commands(1);
    }
}

}  // namespace

std::chrono::milliseconds JobBudget::For(std::int32_t job, std::uint32_t baudRate, std::size_t fileItems) {
    const std::uint32_t timeouts = TimeoutsOf(job, baudRate, fileItems);
    return std::chrono::milliseconds(timeouts + timeouts * kSlackPercent / 100 + kSlackMs);
}

}  // namespace q470::soak
