#pragma once

#include <atomic>

namespace q470 {

// A request to stop the run, made by a signal handler (or a test) and polled by the tool. Request is
// async-signal-safe: it only stores into lock-free atomics.
//
// The first request lets a write under way end its command and put the device's quiet mode back; a
// second one is impatient: the ports close at once.
class StopRequest {
public:
    void Request(int signal) noexcept {
        int none = 0;
        signal_.compare_exchange_strong(none, signal);
        requests_.fetch_add(1);
    }
    // The signal that asked for the stop first, or 0.
    int Signal() const noexcept { return signal_.load(); }
    // Asked again since: nothing is to be waited for any more.
    bool Urgent() const noexcept { return requests_.load() > 1; }
    int Requests() const noexcept { return requests_.load(); }

private:
    static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
    std::atomic<int> signal_{0};
    std::atomic<int> requests_{0};
};

}  // namespace q470
