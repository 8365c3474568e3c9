#pragma once

#include <atomic>

namespace q470 {

// A request to stop the run, made by a signal handler (or a test) and polled by the tool. Request is
// async-signal-safe: it only stores into a lock-free atomic.
class StopRequest {
public:
    void Request(int signal) noexcept { signal_.store(signal); }
    // The signal that asked for the stop, or 0.
    int Signal() const noexcept { return signal_.load(); }

private:
    static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
    std::atomic<int> signal_{0};
};

}  // namespace q470
