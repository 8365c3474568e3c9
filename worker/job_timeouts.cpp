#include "job_timeouts.h"

namespace q470 {
namespace {

constexpr std::uint32_t kScaledBelowBaud = 9600;
constexpr std::uint32_t kBaudDivisor = 10;
constexpr std::uint32_t kQueryBudget = 128000;
constexpr std::uint32_t kGpioTableBudget = 300000;
constexpr std::uint32_t kLongTimeoutMs = 4000;

std::uint32_t Scaled(std::uint32_t budget, std::uint32_t baudRate, std::uint32_t fixedMs) {
    const std::uint32_t divisor = baudRate / kBaudDivisor;
    // A rate below 10 would divide by zero; the connection settings never offer one.
    if (baudRate >= kScaledBelowBaud || divisor == 0) return fixedMs;
    return budget / divisor;
}

}  // namespace

std::uint32_t ModelNameTimeoutMs(std::uint32_t baudRate) {
    return Scaled(kQueryBudget, baudRate, kJobTimeoutMs);
}

std::uint32_t ReadQueryTimeoutMs(std::uint32_t baudRate) {
    return Scaled(kQueryBudget, baudRate, kJobTimeoutMs);
}

std::uint32_t GpioTableTimeoutMs(std::uint32_t baudRate) {
    return Scaled(kGpioTableBudget, baudRate, kLongTimeoutMs);
}

std::uint32_t KsInfoTimeoutMs(std::uint32_t baudRate) {
    return Scaled(kQueryBudget, baudRate, kLongTimeoutMs);
}

}  // namespace q470
