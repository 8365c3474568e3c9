#include "rss_monitor.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__)
#define Q470_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define Q470_SOAK_ASAN 1
#endif
#endif
#ifdef Q470_SOAK_ASAN
// The sanitizer's own interface (its header does not come with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kSampleEvery{60};
constexpr std::chrono::seconds kLongestWarmUp{60};
// What may still come and go after the warm-up: allocator caches in the resident memory, a few
// buffers in the heap.
#ifdef Q470_SOAK_ASAN
constexpr std::size_t kMarginBytes = 2u << 20;
#else
constexpr std::size_t kMarginBytes = 8u << 20;
#endif
constexpr std::size_t kMarginPercent = 10;

}  // namespace

RssMonitor::RssMonitor(std::chrono::seconds runLength)
    : start_(Clock::now()), nextSample_(start_ + std::min(kLongestWarmUp, runLength / 4)) {}

std::size_t RssMonitor::ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0;
    std::size_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t RssMonitor::JudgedBytes() {
#ifdef Q470_SOAK_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return ResidentBytes();
#endif
}

const char* RssMonitor::Measure() {
#ifdef Q470_SOAK_ASAN
    return "live heap";
#else
    return "resident";
#endif
}

void RssMonitor::Poll() {
    const auto now = Clock::now();
    if (now < nextSample_) return;
    Finish();
    nextSample_ = now + kSampleEvery;
}

void RssMonitor::Finish() {
    resident_.push_back(ResidentBytes());
    samples_.push_back(JudgedBytes());
}

std::string RssMonitor::SamplesInMiB() const {
    std::ostringstream text;
    text.precision(1);
    text << std::fixed;
    for (std::size_t sample : samples_)
        text << (text.tellp() > 0 ? " " : "") << static_cast<double>(sample) / (1 << 20);
    return text.str();
}

std::string RssMonitor::Check() const {
    if (samples_.size() < 2) return {};
    const std::size_t first = samples_.front();
    const std::size_t allowed = first + std::max(kMarginBytes, first * kMarginPercent / 100);
    if (samples_.back() <= allowed) return {};
    std::ostringstream text;
    text << Measure() << " memory grew from " << (first >> 10) << " KiB after warm-up to " << (samples_.back() >> 10)
         << " KiB (allowed " << (allowed >> 10) << " KiB); samples:";
    for (std::size_t sample : samples_) text << ' ' << (sample >> 10);
    return text.str();
}

}  // namespace q470::soak
