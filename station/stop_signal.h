#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace q470 {

// A request to stop that any thread may raise once, and that waits can be cut short by: a station's
// fixtures pause between probes on it, and a unit's runner looks at it between steps.
class StopSignal {
public:
    void Raise();
    bool Raised() const { return raised_.load(); }
    // Waits `duration` unless the signal is raised first; true when it was raised.
    bool WaitFor(std::chrono::steady_clock::duration duration) const;

private:
    std::atomic<bool> raised_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable raisedChanged_;
};

}  // namespace q470
