#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace q470::soak {

// Samples the process's memory once a minute. The first sample is taken once the run has warmed up
// (caches filled, threads and buffers at their working size); a run whose last sample is beyond the
// allowed margin over it grows without bound. Without a sanitizer the resident memory is judged;
// under AddressSanitizer the live heap is, since the sanitizer's own records of every thread started
// and every block freed keep adding to the resident memory (the resident figures are still shown).
class RssMonitor {
public:
    explicit RssMonitor(std::chrono::seconds runLength);

    // Call often; samples when one is due.
    void Poll();
    // Takes the final sample.
    void Finish();
    // Empty when memory stayed flat, otherwise the figures.
    std::string Check() const;

    std::size_t FirstBytes() const { return resident_.empty() ? 0 : resident_.front(); }
    std::size_t LastBytes() const { return resident_.empty() ? 0 : resident_.back(); }
    // "resident" or "live heap": what Check judges, and its samples in MiB.
    static const char* Measure();
    std::string SamplesInMiB() const;

    static std::size_t ResidentBytes();
    static std::size_t JudgedBytes();

private:
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point nextSample_;
    std::vector<std::size_t> resident_;
    std::vector<std::size_t> samples_;  // of the judged measure
};

}  // namespace q470::soak
